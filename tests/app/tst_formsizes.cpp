// Every form at its default size: each one-line box shows its longest allowed content
// (a 20-digit account, a twelve-digit amount) and each grid column its whole title.
#include "app/LogoMain.h"
#include "controls/CurrEdit.h"
#include "controls/DBCtrls.h"
#include "controls/DBGrid.h"
#include "controls/Forms.h"
#include "controls/StdCtrls.h"
#include "controls/TableUtils.h"
#include "controls/UiScript.h"
#include "payorders/UPlatPor.h"
#include "payorders/USpPlat.h"
#include "sales/USchFak.h"
#include "sales/USpRasx.h"
#include "support/TestSupport.h"

#include <QAbstractButton>
#include <QDir>
#include <QHeaderView>
#include <QLayout>
#include <QMap>
#include <QMultiMap>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextDocument>
#include <QtTest>

#include <functional>

namespace {

// Columns of sums, prices and totals by their fields' names, and the widest amount.
const QRegularExpression AmountColumn(QStringLiteral("sum|itogo|prixod|rasxod|cena"),
                                      QRegularExpression::CaseInsensitiveOption);
const QString WidestAmount = QStringLiteral("999 999 999 999-99");

// Boxes whose content has no longest form: a folder's path scrolls in its box.
const QStringList FreeLengthBoxes = {QStringLiteral("TExpOld.Path1")};

// A bound control by its field, another by its class and where it stands.
QString nameOf(const QWidget *form, const QWidget *w) {
    if (const auto *link = w->findChild<TFieldDataLink *>(QString(), Qt::FindDirectChildrenOnly))
        return link->DataField();
    const QPoint at = w->mapTo(form, QPoint());
    return QStringLiteral("%1 at %2,%3")
        .arg(QString::fromLatin1(w->metaObject()->className()))
        .arg(at.x())
        .arg(at.y());
}

// The widest text a box of `chars` characters holds, in the box's font: digits, as
// codes, numbers and most names are no wider.
QString widest(int chars) {
    return QString(chars, QLatin1Char('0'));
}

int textRoom(const QLineEdit *box) {
    const QMargins margins = box->textMargins();
    return box->contentsRect().width() - margins.left() - margins.right() - 4;
}

// Characters by lines that a wrapped box shows without scrolling, a line's worth kept
// for the words that wrap early.
bool wrappedFits(const QPlainTextEdit *memo, int chars) {
    const QFontMetrics fm = memo->fontMetrics();
    const int margin = 2 * int(memo->document()->documentMargin());
    const int columns = (memo->contentsRect().width() - margin) / fm.horizontalAdvance(QLatin1Char('0'));
    const int lines = (memo->contentsRect().height() - margin) / fm.lineSpacing();
    return columns * (lines - 1) >= chars;
}

int comboRoom(const QComboBox *combo) {
    QStyleOptionComboBox option;
    option.initFrom(combo);
    option.editable = combo->isEditable();
    return combo->style()
               ->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, combo)
               .width() -
           4;
}

// The widgets laid out by a layout of `form`, by the widget they stand in.
QMultiMap<QWidget *, QWidget *> laidOut(QWidget *form) {
    QMultiMap<QWidget *, QWidget *> widgets;
    QList<QLayout *> layouts = form->findChildren<QLayout *>();
    for (QLayout *layout : layouts)
        for (int i = 0; i < layout->count(); ++i)
            if (QWidget *w = layout->itemAt(i)->widget(); w && w->isVisibleTo(form))
                widgets.insert(w->parentWidget(), w);
    return widgets;
}

// What of `form` does not show in full, one line per box, column or widget.
QStringList cutOff(QWidget *form) {
    QStringList problems;
    const QString formName = QString::fromLatin1(form->metaObject()->className());
    auto problem = [&](const QWidget *w, const QString &what) {
        problems << nameOf(form, w) + QStringLiteral(": ") + what;
    };

    // Nothing squeezed below what it needs to show itself (a label its caption, a
    // button its text), nothing on top of another.
    const QMultiMap<QWidget *, QWidget *> widgets = laidOut(form);
    for (QWidget *parent : widgets.uniqueKeys()) {
        const QList<QWidget *> siblings = widgets.values(parent);
        for (int i = 0; i < siblings.size(); ++i) {
            QWidget *w = siblings[i];
            const QSize needed = w->minimumSizeHint();
            // A button of a glyph alone (the arrows of a spin box) may be as small as drawn.
            const auto *button = qobject_cast<QAbstractButton *>(w);
            if (needed.isValid() && (!button || !button->text().isEmpty()) &&
                (w->width() < needed.width() || w->height() < needed.height()))
                problem(w, QStringLiteral("%1 x %2 px, needs %3 x %4")
                               .arg(w->width())
                               .arg(w->height())
                               .arg(needed.width())
                               .arg(needed.height()));
            for (int j = i + 1; j < siblings.size(); ++j)
                if (w->geometry().intersects(siblings[j]->geometry()))
                    problem(w, QStringLiteral("overlaps ") + nameOf(form, siblings[j]));
        }
    }

    for (QLineEdit *box : form->findChildren<QLineEdit *>()) {
        if (!box->isVisibleTo(form) || qobject_cast<QComboBox *>(box->parentWidget()) ||
            qobject_cast<QAbstractSpinBox *>(box->parentWidget()) || qobject_cast<TCustomNumEdit *>(box))
            continue;
        QString sample = box->inputMask().isEmpty() ? QString() : box->displayText();
        if (sample.isEmpty()) {
            if (auto *bound = qobject_cast<TDBEdit *>(box)) {
                const int chars = DisplayCharsOf(bound->DataLink->DeclaredField());
                if (chars == 0) {
                    problem(box, QStringLiteral("no field known to size it by"));
                    continue;
                }
                sample = widest(chars);
            } else if (box->maxLength() < 32767) {
                sample = widest(box->maxLength());
            } else {
                if (!FreeLengthBoxes.contains(formName + QLatin1Char('.') + box->objectName()))
                    problem(box, QStringLiteral("no length to size it by"));
                continue;
            }
        }
        if (box->fontMetrics().horizontalAdvance(sample) > textRoom(box))
            problem(box, QStringLiteral("%1 chars in %2 px").arg(sample.size()).arg(box->width()));
    }
    for (TDBMemo *memo : form->findChildren<TDBMemo *>()) {
        const int chars = DisplayCharsOf(memo->DataLink->DeclaredField());
        if (!memo->isVisibleTo(form)) continue;
        if (chars == 0)
            problem(memo, QStringLiteral("no field known to size it by"));
        else if (!wrappedFits(memo, chars))
            problem(
                memo,
                QStringLiteral("%1 chars in %2 x %3 px").arg(chars).arg(memo->width()).arg(memo->height()));
    }
    for (TWrapEdit *box : form->findChildren<TWrapEdit *>())
        if (box->isVisibleTo(form) && !wrappedFits(box, box->maxLength()))
            problem(box, QStringLiteral("%1 chars in %2 x %3 px")
                             .arg(box->maxLength())
                             .arg(box->width())
                             .arg(box->height()));
    for (TCustomNumEdit *box : form->findChildren<TCustomNumEdit *>()) {
        if (!box->isVisibleTo(form) || box->MaxMagnitude() <= 0) continue;
        NumEditCore core = box->Core();
        core.value = -core.maxMagnitude;
        const QString sample = core.DisplayText();
        if (box->fontMetrics().horizontalAdvance(sample) > box->contentsRect().width() - 4)
            problem(box, QStringLiteral("\"%1\" in %2 px").arg(sample).arg(box->width()));
    }
    for (QComboBox *combo : form->findChildren<QComboBox *>()) {
        if (!combo->isVisibleTo(form)) continue;
        int chars = 0;
        if (auto *bound = qobject_cast<TDBComboBox *>(combo)) {
            if (combo->isEditable()) chars = DisplayCharsOf(bound->DataLink->DeclaredField());
        } else if (auto *lookup = qobject_cast<TDBLookupComboBox *>(combo)) {
            const TField *f = lookup->DataLink->DeclaredField();
            const TField *shown =
                f && f->LookupDataSet ? f->LookupDataSet->FindField(f->LookupResultField) : nullptr;
            chars = DisplayCharsOf(shown);
            if (chars == 0) problem(combo, QStringLiteral("no field known to size it by"));
        } else {
            // A list filled when the form shows: as wide as it says its texts may be.
            chars = combo->minimumContentsLength();
            if (chars == 0 && combo->count() == 0) problem(combo, QStringLiteral("no length to size it by"));
        }
        int needed = combo->fontMetrics().horizontalAdvance(widest(chars));
        for (int i = 0; i < combo->count(); ++i)
            needed = qMax(needed, combo->fontMetrics().horizontalAdvance(combo->itemText(i)));
        if (needed > comboRoom(combo))
            problem(combo, QStringLiteral("%1 px of text in %2 px").arg(needed).arg(combo->width()));
    }
    for (TDBText *text : form->findChildren<TDBText *>()) {
        if (!text->isVisibleTo(form)) continue;
        const int chars = DisplayCharsOf(text->DataLink->DeclaredField());
        if (chars == 0)
            problem(text, QStringLiteral("no field known to size it by"));
        else if (!text->wordWrap() &&
                 text->fontMetrics().horizontalAdvance(widest(chars)) > text->contentsRect().width())
            problem(text, QStringLiteral("%1 chars in %2 px").arg(chars).arg(text->width()));
    }
    for (TDBGrid *grid : form->findChildren<TDBGrid *>()) {
        if (!grid->isVisibleTo(form)) continue;
        int columns = 0;
        for (int c = 0; c < grid->Model()->columnCount(); ++c)
            if (!grid->isColumnHidden(c)) columns += grid->columnWidth(c);
        // The room inside the frame beside a vertical scroll bar (the view lays out its
        // viewport only when shown).
        const int room = grid->contentsRect().width() -
                         grid->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, grid);
        if (columns > room) problem(grid, QStringLiteral("columns of %1 px in %2 px").arg(columns).arg(room));
        for (int c = 0; c < grid->Model()->columnCount(); ++c) {
            if (grid->isColumnHidden(c)) continue;
            const QString title = grid->Model()->headerData(c, Qt::Horizontal).toString();
            if (grid->horizontalHeader()->fontMetrics().horizontalAdvance(title) + 6 > grid->columnWidth(c))
                problem(grid, QStringLiteral("column \"%1\" of %2 px").arg(title).arg(grid->columnWidth(c)));
            // A sum, a price or a total shows twelve rouble digits, and a date shows whole,
            // the text within the margins of its cell and beside the grid line.
            const int cellMargins =
                2 * (grid->style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, grid) + 1) + 1;
            if (AmountColumn.match(grid->Columns(c)->FieldName()).hasMatch() &&
                grid->fontMetrics().horizontalAdvance(WidestAmount) + cellMargins > grid->columnWidth(c))
                problem(grid, QStringLiteral("amount \"%1\" of %2 px").arg(title).arg(grid->columnWidth(c)));
            const TField *field =
                grid->DataSet() ? grid->DataSet()->FindField(grid->Columns(c)->FieldName()) : nullptr;
            if (field && field->DataType() == TFieldType::ftDate &&
                grid->fontMetrics().horizontalAdvance(QStringLiteral("00.00.0000")) + cellMargins >
                    grid->columnWidth(c))
                problem(grid, QStringLiteral("date \"%1\" of %2 px").arg(title).arg(grid->columnWidth(c)));
        }
    }
    return problems;
}

// What a box shows that does not fit it: one line per box. A wrapped box that has to
// scroll does not show all it holds.
QStringList textCutOff(QWidget *form) {
    QStringList problems;
    for (QPlainTextEdit *memo : form->findChildren<QPlainTextEdit *>())
        if (memo->isVisible() && memo->verticalScrollBar()->maximum() > 0)
            problems << nameOf(form, memo) + QStringLiteral(": ") +
                            QString::number(memo->toPlainText().size()) + QStringLiteral(" chars scroll");
    for (TDBEdit *box : form->findChildren<TDBEdit *>()) {
        if (box->isVisible() && box->fontMetrics().horizontalAdvance(box->text()) > textRoom(box))
            problems << QStringLiteral("%1: \"%2\"").arg(box->DataLink->DataField(), box->text());
    }
    for (TDBComboBox *box : form->findChildren<TDBComboBox *>()) {
        if (box->isVisible() && box->lineEdit() &&
            box->fontMetrics().horizontalAdvance(box->currentText()) > box->lineEdit()->width() - 4)
            problems << QStringLiteral("%1: \"%2\"").arg(box->DataLink->DataField(), box->currentText());
    }
    return problems;
}

// Every text field of the current row of `ds` as long as it holds, in digits; dates
// and numbers at their widest.
void fillToTheBrim(TDataSet *ds) {
    for (int i = 0; i < ds->FieldCount(); ++i) {
        TField *f = ds->Fields(i);
        if (f->FieldKind() != TFieldKind::fkData || f->ReadOnly) continue;
        if (f->DataType() == TFieldType::ftString) f->SetAsString(QString(f->Size(), QLatin1Char('8')));
        if (f->DataType() == TFieldType::ftDate) f->SetAsDate(QDate(2026, 12, 28));
    }
}

// Shows `form`, fills it by `fill` (after its FormShow set it up) and lists what of
// its boxes' texts does not show, on each page of its tab widgets; the picture goes to
// ORBEK_FORM_PNG under `name`.
QStringList shownCutOff(QWidget *form, const QString &name, const std::function<void()> &fill = {}) {
    form->show();
    if (fill) fill();
    QApplication::processEvents();
    const QString pictures = qEnvironmentVariable("ORBEK_FORM_PNG");
    if (!pictures.isEmpty()) form->grab().save(QDir(pictures).filePath(name + QStringLiteral(".png")));
    QStringList problems = textCutOff(form);
    for (QTabWidget *tabs : form->findChildren<QTabWidget *>()) {
        for (int index = 1; index < tabs->count(); ++index) {
            tabs->setCurrentIndex(index);
            QApplication::processEvents();
            problems << textCutOff(form);
        }
        tabs->setCurrentIndex(0);
    }
    form->hide();
    return problems;
}

// Lays `form` out as showing it would, without running its FormShow (which wants the
// datasets its callers prepare).
void layOut(QWidget *form) {
    // A hidden window's boxes take their places only as each layout is told to.
    for (int pass = 0; pass < 3; ++pass)
        for (QLayout *layout : form->findChildren<QLayout *>()) {
            layout->invalidate();
            layout->activate();
        }
}

} // namespace

class FormSizesTest : public ScriptedTestCase {
    Q_OBJECT
  private slots:
    // The payment-order editor on an order filled to the brim: 20-digit accounts, a
    // twelve-digit amount, every code as long as its field.
    void editorShowsTheLongestOrder() {
        QTemporaryDir dir;
        QVERIFY(StartUp(dir.path() + QStringLiteral("/dat")));
        LogoAppForm->CreatePayOrders();
        SpPlat->SpeedButton2Click();
        TDataSet *plat = SpPlat->Plat;
        plat->Append();
        fillToTheBrim(plat);
        plat->FieldByName(QStringLiteral("NUMBER"))->SetAsFloat(88888);
        plat->FieldByName(QStringLiteral("SUMMA"))->SetAsFloat(888888888888.88);
        const QStringList problems = shownCutOff(PlatPor, QStringLiteral("TPlatPor-filled"));
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QStringLiteral("; "))));
        plat->Cancel();
        ShutDown();
    }

    // The invoice editor on a document filled to the brim, both parties' names and
    // addresses of 150 characters wrapped in their boxes; the register's filters with
    // the longest full names.
    void invoiceEditorShowsTheLongestDocument() {
        QTemporaryDir dir;
        QVERIFY(StartUp(dir.path() + QStringLiteral("/dat")));
        LogoAppForm->CreateSalesDocs();
        SpRasx->BitBtn1Click();
        TDataSet *header = SpRasx->SpRasx;
        header->Append();
        fillToTheBrim(header);
        header->FieldByName(QStringLiteral("NUMB_FAKT"))->SetAsFloat(888888);
        header->FieldByName(QStringLiteral("NalogProd"))->SetAsFloat(88.88);
        QStringList problems = shownCutOff(SchFak, QStringLiteral("TSchFak-filled"));
        header->Cancel();
        const QString longestName =
            QStringLiteral("Общество с ограниченной ответственностью «Торгово-промышленная компания "
                           "Северо-Западного федерального округа и Ленинградской области» (филиал в Выборге)")
                .left(TextSizeOf(QStringLiteral("Klient"), QStringLiteral("FullName")));
        QCOMPARE(longestName.size(), 150);
        problems << shownCutOff(SpRasx, QStringLiteral("TSpRasx-filled"), [&] {
            SpRasx->Edit1->setText(longestName);
            SpRasx->Edit2->setText(longestName);
        });
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QStringLiteral("; "))));
        ShutDown();
    }

    // Every form the program has, shown at its default size. Set ORBEK_FORM_PNG to a
    // folder to get each form as a picture to look at.
    void everyFormShowsItsBoxesAndColumns() {
        QTemporaryDir dir;
        QVERIFY(StartUp(dir.path() + QStringLiteral("/dat")));
        LogoAppForm->CreatePayOrders();
        LogoAppForm->CreateSalesDocs();
        LogoAppForm->CreateContracts();
        LogoAppForm->CreateCash();
        LogoAppForm->CreateBalance();
        LogoAppForm->CreateBooks();
        LogoAppForm->CreateTurnOver();
        LogoAppForm->CreateOverdueStages();
        QMap<QString, TForm *> forms;
        for (QWidget *w : QApplication::allWidgets())
            if (auto *f = qobject_cast<TForm *>(w); f && f->isWindow())
                forms.insert(QString::fromLatin1(f->metaObject()->className()), f);
        const QString pictures = qEnvironmentVariable("ORBEK_FORM_PNG");
        QStringList problems;
        for (auto it = forms.cbegin(); it != forms.cend(); ++it) {
            TForm *f = it.value();
            f->ensurePolished();
            if (!f->testAttribute(Qt::WA_Resized)) f->adjustSize();
            layOut(f);
            // Grabbing lays out what the layouts left: the pages of tab widgets.
            const QPixmap picture = f->grab();
            if (!pictures.isEmpty()) picture.save(QDir(pictures).filePath(it.key() + QStringLiteral(".png")));
            // A bookkeeper's screen of 1280 x 1024 holds every form with its frame.
            if (f->width() > 1260 || f->height() > 960)
                problems << QStringLiteral("%1: %2 x %3 px").arg(it.key()).arg(f->width()).arg(f->height());
            QStringList cut = cutOff(f);
            // Every page of a tab widget in turn, the first one shown again after.
            for (QTabWidget *tabs : f->findChildren<QTabWidget *>()) {
                for (int index = 1; index < tabs->count(); ++index) {
                    tabs->setCurrentIndex(index);
                    layOut(f);
                    const QPixmap page = f->grab();
                    cut << cutOff(f);
                    if (!pictures.isEmpty())
                        page.save(
                            QDir(pictures).filePath(QStringLiteral("%1-%2.png").arg(it.key()).arg(index)));
                }
                tabs->setCurrentIndex(0);
            }
            cut.removeDuplicates();
            if (!cut.isEmpty()) problems << it.key() + QStringLiteral(": ") + cut.join(QStringLiteral("; "));
        }
        QVERIFY2(forms.size() > 20, "the forms were not all created");
        // One warning a form: a failure message is cut at a kilobyte.
        for (const QString &line : problems)
            qWarning().noquote() << line;
        QVERIFY2(problems.isEmpty(), "boxes, columns or captions do not show in full (above)");
        ShutDown();
    }
};

QTEST_MAIN(FormSizesTest)
#include "tst_formsizes.moc"
