// The program's application object: the toolkit's own texts in Russian, a window's
// caption its own, without the program's name added by the window system; Esc closes
// the help window.
#include "controls/Application.h"
#include "controls/Forms.h"
#include "controls/HelpWindow.h"

#include <QCalendarWidget>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QPushButton>
#include <QTextBrowser>
#include <QToolButton>
#include <QWindow>
#include <QtTest>

class TestApplication : public QObject {
    Q_OBJECT
  private slots:
    void captionsAreTheFormsOwn() {
        // The window system appends a display name set by the program to every caption.
        QCOMPARE(QGuiApplication::applicationDisplayName(), QCoreApplication::applicationName());
        TForm form;
        form.SetCaption(QStringLiteral("Банки"));
        form.show();
        QCOMPARE(form.windowHandle()->title(), QStringLiteral("Банки"));
    }

    void escClosesTheHelpWindow() {
        THelpWindow *help = Help::Window();
        help->ShowTopic(2);
        help->show();
        QTest::keyClick(help->Browser, Qt::Key_Escape);
        QVERIFY(!help->isVisible());
    }

    void toolkitSpeaksRussian() {
        QDialogButtonBox box(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
        QCOMPARE(box.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("Отмена"));
        QCalendarWidget calendar;
        calendar.setSelectedDate(QDate(2026, 12, 7));
        auto *month = calendar.findChild<QToolButton *>(QStringLiteral("qt_calendar_monthbutton"));
        QVERIFY(month);
        QCOMPARE(month->text().toLower(), QStringLiteral("декабрь"));
        QCOMPARE(calendar.locale().dayName(1, QLocale::ShortFormat), QStringLiteral("пн"));
        // The file dialog: the kind of a folder, which the toolkit's translations miss.
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("архив")));
        QFileDialog dialog(nullptr, QStringLiteral("Открыть"), dir.path());
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setViewMode(QFileDialog::Detail);
        dialog.show();
        auto *model = dialog.findChild<QFileSystemModel *>();
        QVERIFY(model);
        const QModelIndex folder = model->index(dir.path() + QStringLiteral("/архив"));
        QTRY_COMPARE(model->index(folder.row(), 2, folder.parent()).data().toString(),
                     QStringLiteral("Папка"));
    }
};

// The program's own application object, not the test library's.
int main(int argc, char **argv) {
    TApplication app(argc, argv);
    TestApplication test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_application.moc"
