// The form kit without data: modal forms driven by a script, message boxes answered
// from a queue, the error box and the guard, keys reaching the form first, F1 help.
#include "controls/Animate.h"
#include "controls/Application.h"
#include "controls/Forms.h"
#include "controls/HelpWindow.h"
#include "controls/UiScript.h"
#include "db/Errors.h"
#include "print/LongReport.h"
#include "print/PreviewWindow.h"
#include "support/TestSupport.h"

#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QtTest>

#include <memory>

// Three forms as the registers, editors and pickers nest them.
class TPicker : public TForm {
    Q_OBJECT
public:
    TPicker() {
        Edit1 = new QLineEdit(this);
        OkButton = new QPushButton(QStringLiteral("OK"), this);
        SetModalResult(OkButton, mrOk);
        OnClick(OkButton, [this] { OkPressed = true; });
    }
    QLineEdit *Edit1;
    QPushButton *OkButton;
    bool OkPressed = false;
    int Shown = 0;

protected:
    void FormShow() override {
        OkPressed = false;
        ++Shown;
    }
};

class TCard : public TForm {
    Q_OBJECT
public:
    explicit TCard(TPicker *picker) : Picker(picker) {
        PickButton = new QPushButton(QStringLiteral("Словарь"), this);
        OnClick(PickButton, [this] {
            if (ShowModal(Picker) == mrOk && Picker->OkPressed) Partner = Picker->Edit1->text();
        });
    }
    TPicker *Picker;
    QPushButton *PickButton;
    QString Partner;
};

class TRegister : public TForm {
    Q_OBJECT
public:
    explicit TRegister(TCard *card) : Card(card) {
        Grid = new QLineEdit(this);
        OnKeyDown(Grid, [this](int &Key, Qt::KeyboardModifiers) {
            if (Key == Qt::Key_F4) CardResult = ShowModal(Card);
            if (Key == Qt::Key_F10) Close();
        });
    }
    TCard *Card;
    QLineEdit *Grid;
    int CardResult = mrNone;
};

// A form whose handlers count what reaches them.
class TKeyForm : public TForm {
    Q_OBJECT
public:
    TKeyForm() {
        SetHelpContext(3);
        Edit1 = new QLineEdit(this);
        Edit2 = new QLineEdit(this);
        Save = new QPushButton(QStringLiteral("F10-Выход"), this);
        Cancel = new QPushButton(QStringLiteral("Cancel"), this);
        OnKeyDown(Edit1, [this](int &Key, Qt::KeyboardModifiers) {
            if (Key == Qt::Key_F7) {
                ++ControlF7;
                Key = 0;
            }
        });
        OnKeyPress(Edit2, [this](QChar &Key) {
            Typed += Key;
            if (Key == QLatin1Char('0')) Key = QChar();
        });
    }
    QLineEdit *Edit1, *Edit2;
    QPushButton *Save, *Cancel;
    QStringList FormKeys;
    int ControlF7 = 0;
    QString Typed;
    bool ThrowOnF5 = false;

protected:
    void FormKeyDown(int &Key, Qt::KeyboardModifiers Shift) override {
        FormKeys << QKeySequence(Key | Shift).toString();
        if (Key == Qt::Key_F10) {
            Key = 0;
            Close();
        }
        if (Key == Qt::Key_F5 && ThrowOnF5)
            throw EDatabaseError(QStringLiteral("Таблица занята другим пользователем"));
    }
};

class TFailingForm : public TForm {
    Q_OBJECT
protected:
    void FormShow() override { throw EDatabaseError(QStringLiteral("Таблица Klient.DB не найдена")); }
};

class TestFormKit : public ScriptedTestCase {
    Q_OBJECT
private slots:

    void modalFormsNestThreeDeep() {
        TPicker picker;
        TCard card(&picker);
        TRegister reg(&card);
        int depthInPicker = 0;
        UiScript::OnShow<TRegister>([](TRegister *r) {
            QTest::keyClick(r->Grid, Qt::Key_F4);
            QTest::keyClick(r->Grid, Qt::Key_F10);
        });
        UiScript::OnShow<TCard>([](TCard *c) {
            c->PickButton->click();
            c->SetModalResult(mrOk);
        });
        UiScript::OnShow<TPicker>([&](TPicker *p) {
            depthInPicker = ModalDepth();
            p->Edit1->setText(QStringLiteral("ООО \"Ромашка\""));
            p->OkButton->click();
        });

        QCOMPARE(ShowModal(&reg), int(mrCancel));
        QCOMPARE(depthInPicker, 3);
        QCOMPARE(ModalDepth(), 0);
        QCOMPARE(reg.CardResult, int(mrOk));
        QCOMPARE(card.Partner, QStringLiteral("ООО \"Ромашка\""));
        QCOMPARE(UiScript::FormsShown(), (QStringList{"TRegister", "TCard", "TPicker"}));
        // Closed forms are hidden, not destroyed, and keep their fields.
        QVERIFY(!picker.isVisible() && !card.isVisible() && !reg.isVisible());
        QCOMPARE(picker.Edit1->text(), QStringLiteral("ООО \"Ромашка\""));

        // Shown again: FormShow runs again, and a picker closed by Esc-less Close
        // reports nothing chosen.
        UiScript::OnShow<TPicker>([](TPicker *p) { p->Close(); });
        QCOMPARE(ShowModal(&picker), int(mrCancel));
        QVERIFY(!picker.OkPressed);
        QCOMPARE(picker.Shown, 2);
    }

    void unscriptedFormAndLeftOpenFormAreProblems() {
        TPicker picker;
        QCOMPARE(ShowModal(&picker), int(mrCancel));
        QVERIFY(!picker.isVisible());
        UiScript::OnShow<TPicker>([](TPicker *) {});
        QCOMPARE(ShowModal(&picker), int(mrCancel));
        QVERIFY(!picker.isVisible());
        QVERIFY(!UiScript::Clean());
        QVERIFY(UiScript::Problems().contains("without a script"));
        QVERIFY(UiScript::Problems().contains("left open"));
        UiScript::Reset();
    }

    void formShowErrorEndsTheCommand() {
        TFailingForm form;
        bool after = false;
        UiScript::OnShow<TFailingForm>([](TFailingForm *f) { f->Close(); });
        UiScript::ExpectError(QStringLiteral("Таблица Klient.DB не найдена."));
        QVERIFY(!Guarded([&] {
            ShowModal(&form);
            after = true;
        }));
        QVERIFY(!after);
        QVERIFY(!form.isVisible());
        // The script was not used: the form never opened.
        UiScript::Reset();
    }

    void scriptedAnswerReachesTheCaller_data() {
        QTest::addColumn<int>("answer");
        QTest::addColumn<QString>("outcome");
        QTest::newRow("Да") << int(mrYes) << "saved";
        QTest::newRow("Нет") << int(mrNo) << "discarded";
        QTest::newRow("Отмена") << int(mrCancel) << "stays";
    }
    void scriptedAnswerReachesTheCaller() {
        QFETCH(int, answer);
        QFETCH(QString, outcome);
        const QString question = QStringLiteral("Записать платежное поручение?");
        UiScript::Answer(answer, question);
        QString got;
        switch (MessageDlg(question, mtConfirmation, mbYesNoCancel)) {
        case mrYes:
            got = "saved";
            break;
        case mrNo:
            got = "discarded";
            break;
        case mrCancel:
            got = "stays";
            break;
        }
        QCOMPARE(got, outcome);
        QCOMPARE(UiScript::Messages().size(), 1);
        QCOMPARE(UiScript::Messages()[0].kind, int(mtConfirmation));
        QCOMPARE(UiScript::Messages()[0].buttons, int(mbYesNoCancel));
    }

    void unexpectedOrDifferentMessageIsAProblem() {
        QCOMPARE(MessageDlg(QStringLiteral("Удалить строку?"), mtWarning, mbYesNo), int(mrNo));
        QVERIFY(UiScript::Problems().contains("unexpected message box \"Удалить строку?\""));
        UiScript::Reset();
        UiScript::Answer(mrYes, QStringLiteral("Удалить счет?"));
        QCOMPARE(MessageDlg(QStringLiteral("Удалить проводку ?"), mtWarning, mbYesNo), int(mrYes));
        QVERIFY(!UiScript::Clean());
        UiScript::Reset();
        UiScript::Answer(mrYes);
        QVERIFY(!UiScript::Clean()); // an answer nobody asked for
        UiScript::Reset();
    }

    // A message box stands over the modal form on top, also while the window system still
    // holds the main window behind it active: over that one it could open behind the form.
    void messageBoxStandsOverTheFormOnTop() {
        QMainWindow main;
        showActive(&main);
        TPicker picker;
        QWidget *owner = nullptr;
        UiScript::OnShow<TPicker>([&](TPicker *p) {
            showActive(&main);
            const std::unique_ptr<QMessageBox> box(CreateMessageBox(
                QStringLiteral("Цена товара получилась 27-78. Проверьте получившиеся результаты."), mtWarning,
                mbOK));
            owner = box->parentWidget();
            p->Close();
        });
        ShowModal(&picker);
        QCOMPARE(owner, &picker);
    }

    // A box is wide enough for its title, which the title bar writes bold between the
    // window's icon and its buttons.
    void messageBoxShowsItsTitleWhole() {
        QFont font = QFontDatabase::systemFont(QFontDatabase::TitleFont);
        font.setBold(true);
        const QFontMetrics title(font);
        for (const TMsgDlgType kind : {mtConfirmation, mtWarning}) {
            const std::unique_ptr<QMessageBox> box(
                CreateMessageBox(QStringLiteral("Удалить?"), kind, mbYesNo));
            box->show();
            QVERIFY2(box->width() >= title.horizontalAdvance(box->windowTitle()) + 4 * title.height(),
                     qPrintable(box->windowTitle()));
        }
    }

    void errorBoxAppendsPoint_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("shown");
        QTest::newRow("letter") << "Нарушение ключа"
                                << "Нарушение ключа.";
        QTest::newRow("digit") << "Строка 12"
                               << "Строка 12.";
        QTest::newRow("slash sorts after point") << "Папка dat/"
                                                 << "Папка dat/.";
        QTest::newRow("point") << "Ошибка."
                               << "Ошибка.";
        QTest::newRow("exclamation") << "Проверте БИК банка!"
                                     << "Проверте БИК банка!";
        QTest::newRow("bracket") << "Ошибка (1)"
                                 << "Ошибка (1)";
        QTest::newRow("blank") << "Ошибка "
                               << "Ошибка ";
        QTest::newRow("empty") << ""
                               << "";
    }
    void errorBoxAppendsPoint() {
        QFETCH(QString, text);
        QFETCH(QString, shown);
        QCOMPARE(ErrorBoxText(text), shown);
    }

    // The box itself: the sentence with its point in the text, the detail only behind
    // "Подробнее"; OK closes it. Without a detail there is no toggle.
    void errorBoxKeepsTheDetailBehindItsToggle() {
        std::unique_ptr<QDialog> box(CreateErrorBox(QStringLiteral("Данные заняты другой программой"),
                                                    QStringLiteral("BEGIN IMMEDIATE")));
        box->show();
        QCOMPARE(box->windowTitle(), AppTitle());
        QCOMPARE(box->findChild<QLabel *>(QStringLiteral("Text"))->text(),
                 QStringLiteral("Данные заняты другой программой."));
        auto *detail = box->findChild<QPlainTextEdit *>(QStringLiteral("Detail"));
        QVERIFY(detail && !detail->isVisible());
        QCOMPARE(detail->toPlainText(), QStringLiteral("BEGIN IMMEDIATE"));
        auto *more = box->findChild<QPushButton *>(QStringLiteral("More"));
        QCOMPARE(more->text(), QStringLiteral("Подробнее"));
        more->click();
        QVERIFY(detail->isVisible());
        more->click();
        QVERIFY(!detail->isVisible());
        QTest::keyClick(box.get(), Qt::Key_Return);
        QCOMPARE(box->result(), int(QDialog::Accepted));

        std::unique_ptr<QDialog> plain(CreateErrorBox(QStringLiteral("Ошибка"), QString()));
        QVERIFY(!plain->findChild<QPushButton *>(QStringLiteral("More")));
        QVERIFY(!plain->findChild<QPlainTextEdit *>());
    }

    // The report preview, below the form kit, tells a page that fails further on in the
    // program's error box: the sentence in the text, the engine's words only behind
    // "Подробнее"; the pages laid out before stay. Both when the user asks for the last
    // page and when the window lays the pages out while the user looks.
    void previewTellsLaterPageErrorsInTheErrorBox() {
        const QString sentence = QStringLiteral("Данные отчета не прочитаны: файл базы данных поврежден. "
                                                "Восстановите данные из архива");
        const QString detail = QStringLiteral("database disk image is malformed (11)\nselect * from PlatPor");
        LongReport report(30);
        const GeneratedRows &rows = report.rows;
        report.detail->BeforePrint = [&](TRepBand *, bool &) {
            if (rows.furthest == 20 * GeneratedRows::PerGroup + 25) throw EDatabaseError(sentence, detail);
        };
        for (const bool askedForLastPage : {true, false}) {
            UiScript::Reset();
            UiScript::ExpectError(sentence + QLatin1Char('.'));
            rep::TPreviewWindow window(report.rep.StartLayout());
            QVERIFY(UiScript::Messages().isEmpty());
            if (askedForLastPage)
                window.ShowPage(rep::TPreviewWindow::LastPage);
            else
                QTRY_COMPARE(UiScript::Messages().size(), 1);
            QCOMPARE(UiScript::Messages().size(), 1);
            const UiScript::Message &shown = UiScript::Messages().front();
            QCOMPARE(shown.caption, AppTitle());
            QCOMPARE(shown.kind, int(mtError));
            QCOMPARE(shown.text, sentence + QLatin1Char('.'));
            QCOMPARE(shown.detail, detail);
            QCOMPARE(window.PageCount(), 20); // the pages before the 21st, which failed half-way
            window.ShowPage(0);
            QCOMPARE(window.PageIndex(), 0);
        }
    }

    void guardShowsErrorsAndKeepsTheFormOpen() {
        TPicker form;
        form.show();
        int clicks = 0;
        QPushButton button(QStringLiteral("Записать"), &form);
        TForm::SetModalResult(&button, mrOk);
        OnClick(&button, [&] {
            ++clicks;
            throw EDatabaseError(QStringLiteral("Нарушение ключа"));
        });
        UiScript::ExpectError();
        button.click();
        QCOMPARE(clicks, 1);
        QVERIFY(form.isVisible()); // the handler threw: its modal result does not close the form
        QCOMPARE(UiScript::Messages()[0].text, QStringLiteral("Нарушение ключа."));
        QCOMPARE(UiScript::Messages()[0].caption, AppTitle());
        QCOMPARE(UiScript::Messages()[0].kind, int(mtError));

        // EAbort ends a command silently; a plain std::exception speaks Russian and keeps
        // its own (English) words for the detail.
        QVERIFY(!Guarded([] { throw EAbort(); }));
        UiScript::ExpectError(QStringLiteral("Непредвиденная ошибка."));
        QVERIFY(!Guarded([] { throw std::runtime_error("bad value"); }));
        QCOMPARE(UiScript::Messages().size(), 2);
        QCOMPARE(UiScript::Messages()[1].detail, QStringLiteral("bad value"));
    }

    void keysReachTheFormFirst() {
        TKeyForm form;
        form.show();
        QTest::keyClick(form.Edit1, Qt::Key_F7);
        QCOMPARE(form.ControlF7, 1); // once, though the edit ignores F7 and Qt offers it upwards
        QCOMPARE(form.FormKeys, QStringList{"F7"});

        QTest::keyClick(form.Edit1, Qt::Key_F2, Qt::ControlModifier);
        QCOMPARE(form.FormKeys.count(QStringLiteral("Ctrl+F2")), 1); // once on its way up the parents

        // Keys the handlers leave alone reach the control; a consumed character does not.
        QTest::keyClicks(form.Edit2, "102");
        QCOMPARE(form.Edit2->text(), QStringLiteral("12"));
        QCOMPARE(form.Typed, QStringLiteral("102"));

        // A handler that throws shows the error box and consumes its key.
        form.ThrowOnF5 = true;
        UiScript::ExpectError(QStringLiteral("Таблица занята другим пользователем."));
        QTest::keyClick(form.Edit1, Qt::Key_F5);
        QVERIFY(form.isVisible());

        // Esc without a cancel button leaves the form open; with one it presses it.
        QTest::keyClick(form.Edit1, Qt::Key_Escape);
        QVERIFY(form.isVisible());
        int cancelled = 0;
        OnClick(form.Cancel, [&] { ++cancelled; });
        form.SetCancelButton(form.Cancel);
        QTest::keyClick(form.Edit1, Qt::Key_Escape);
        QCOMPARE(cancelled, 1);

        // Enter presses the default button.
        int saved = 0;
        OnClick(form.Save, [&] { ++saved; });
        form.SetDefaultButton(form.Save);
        QTest::keyClick(form.Edit1, Qt::Key_Return);
        QCOMPARE(saved, 1);

        QTest::keyClick(form.Edit2, Qt::Key_F10);
        QVERIFY(!form.isVisible());
    }

    void f1OpensTheTopicOfTheForm() {
        TKeyForm form;
        form.show();
        QTest::keyClick(form.Edit2, Qt::Key_F1);
        TPicker noTopic;
        noTopic.show();
        QTest::keyClick(noTopic.Edit1, Qt::Key_F1);
        QMainWindow main;
        InstallFormKeys(&main);
        SetHelpContext(&main, 1);
        auto *edit = new QLineEdit(&main);
        main.setCentralWidget(edit);
        QTest::keyClick(edit, Qt::Key_F1);
        QCOMPARE(UiScript::HelpShown(), (QList<int>{3, 1}));
        QVERIFY(!Help::Window()->isVisible());
    }

    void helpWindowShowsOurPages() {
        THelpWindow window;
        window.ShowTopic(2);
        if (!QFile::exists(Help::TopicFile(2))) QSKIP("the help pages are not part of this build");
        QCOMPARE(window.Source(), QUrl("qrc:/help/topic2.html"));
        QVERIFY(!window.Browser->toPlainText().isEmpty());
        // The pages share one style sheet: the heading takes its colour.
        bool styledHeading = false;
        for (QTextBlock b = window.Browser->document()->begin(); b.isValid(); b = b.next())
            if (b.blockFormat().headingLevel() == 1 && b.begin() != b.end())
                styledHeading = b.begin().fragment().charFormat().foreground().color() == QColor("#1b3a6b");
        QVERIFY(styledHeading);
        window.ShowTopic(0);
        QCOMPARE(window.Source(), QUrl("qrc:/help/contents.html"));
        window.ShowTopic(99);
        QVERIFY(window.Browser->toPlainText().contains("не найден"));
    }

    void animationsRunFrameByFrame() {
        TAnimate anim(nullptr, TCommonAVI::aviCopyFiles);
        anim.resize(anim.sizeHint());
        QCOMPARE(anim.StopFrame(), 34);
        QImage first(anim.size(), QImage::Format_ARGB32);
        anim.render(&first);
        anim.NextFrame();
        QImage second(anim.size(), QImage::Format_ARGB32);
        anim.render(&second);
        QVERIFY(first != second);
        for (int i = 0; i < 33; ++i)
            anim.NextFrame();
        QCOMPARE(anim.Frame(), 1); // frame 34 wraps to 1
        anim.Play();
        QVERIFY(anim.Active());
        anim.Stop();
        QVERIFY(!anim.Active());
        TAnimate none;
        none.Play();
        QVERIFY(!none.Active());
    }
};

QTEST_MAIN(TestFormKit)
#include "tst_formkit.moc"
