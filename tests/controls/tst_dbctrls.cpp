// Bound controls over a real table: they follow the cursor, write what was typed when
// the row is posted or the control is left, and refuse a text that does not convert.
#include "controls/CurrEdit.h"
#include "controls/DBCtrls.h"
#include "controls/Forms.h"
#include "controls/StdCtrls.h"
#include "controls/UiScript.h"
#include "db/Formats.h"
#include "db/Query.h"
#include "db/Table.h"
#include "support/TestSupport.h"

#include <QClipboard>
#include <QMenu>
#include <QMimeData>
#include <QPushButton>
#include <QVBoxLayout>
#include <QtTest>

namespace {

// Types into a control as the user does, Cyrillic included: the text changes and the
// control hears of it as an edit by the user.
void typeInto(QLineEdit *edit, const QString &text) {
    edit->setText(text);
    emit edit->textEdited(text);
}

QVariant storedValue(const QString &sql) {
    TQuery q;
    q.SetSQLText(sql);
    q.Open();
    return q.Fields(0)->Value();
}

} // namespace

// The payment-order editor's controls in miniature.
class TOrderForm : public TForm {
    Q_OBJECT
public:
    explicit TOrderForm(TDataSource *source) {
        EditSumma = new TDBEdit(this, source, "SUMMA");
        EditName = new TDBEdit(this, source, "R_NAME");
        MemoPayer = new TDBMemo(this, source, "P_NAME");
        TypePay = new TDBComboBox(this, source, "TYPE_PAY");
        TypePay->SetItems({"почтой", "телеграфом", "электронно", " "});
        Passed = new TDBCheckBox(QStringLiteral("Прошло через банк"), this, source, "FlYes");
        EditDate = new TDBDateEdit(this, source, "DATE_PLAT");
        Number = new TDBText(this, source, "NUMBER");
        Save = new QPushButton(QStringLiteral("F10-Выход"), this);
        OnClick(Save, [source] { source->DataSet()->Post(); });
    }
    TDBEdit *EditSumma, *EditName;
    TDBMemo *MemoPayer;
    TDBComboBox *TypePay;
    TDBCheckBox *Passed;
    TDBDateEdit *EditDate;
    TDBText *Number;
    QPushButton *Save;
};

// A data folder with two orders, and the form bound to them.
struct OrderFixture {
    OrderFixture() {
        plat.Open();
        addOrder(1, 100, QStringLiteral("ООО Ромашка"));
        addOrder(2, 1234.5, QStringLiteral("ЗАО Лютик"));
        plat.First();
    }
    void addOrder(int number, double summa, const QString &name) {
        plat.Append();
        plat.FieldByName("NUMBER")->SetAsFloat(number);
        plat.FieldByName("SUMMA")->SetAsFloat(summa);
        plat.FieldByName("R_NAME")->SetAsString(name);
        plat.FieldByName("P_NAME")->SetAsString(QStringLiteral("ООО \"Вереск\"\r\nг. Тверь"));
        plat.FieldByName("TYPE_PAY")->SetAsString(QStringLiteral("почтой"));
        plat.FieldByName("DATE_PLAT")->SetAsDate(QDate(2024, 2, number));
        plat.FieldByName("FlYes")->SetAsBoolean(number == 2);
        plat.Post();
    }
    TempDataFolder folder;
    TTable plat{nullptr, "PlatPor.DB"};
    TDataSource source{nullptr, &plat};
    TOrderForm form{&source};
};

// An editor in miniature that leaves as the payment-order editor does: Esc writes
// what is typed, drops the row's changes and closes; "Cancel" drops them and closes.
class TLeavingForm : public TForm {
    Q_OBJECT
public:
    explicit TLeavingForm(TDataSource *source) : m_source(source) {
        EditDate = new TDBDateEdit(this, source, "DATE_PLAT");
        EditName = new TDBEdit(this, source, "R_NAME");
        Cancel = new QPushButton(QStringLiteral("Cancel"), this);
        auto *layout = new QVBoxLayout(this);
        layout->addWidget(EditDate);
        layout->addWidget(EditName);
        layout->addWidget(Cancel);
        OnClick(Cancel, [this] { leave(); });
        SetDropsBadInput(Cancel);
    }
    TDBDateEdit *EditDate;
    TDBEdit *EditName;
    QPushButton *Cancel;

protected:
    void FormKeyDown(int &Key, Qt::KeyboardModifiers) override {
        if (Key != Qt::Key_Escape) return;
        m_source->DataSet()->UpdateRecord();
        leave();
        Key = 0;
    }

private:
    void leave() {
        m_source->DataSet()->Cancel();
        Close();
    }
    TDataSource *m_source;
};

class TestDBControls : public ScriptedTestCase {
    Q_OBJECT
private slots:

    void controlsFollowTheCurrentRow() {
        OrderFixture fixture;
        TTable &plat = fixture.plat;
        TOrderForm &form = fixture.form;
        QCOMPARE(form.EditName->text(), QStringLiteral("ООО Ромашка"));
        QCOMPARE(form.MemoPayer->toPlainText(), QStringLiteral("ООО \"Вереск\"\nг. Тверь"));
        QCOMPARE(form.TypePay->currentText(), QStringLiteral("почтой"));
        QCOMPARE(form.EditDate->text(), QStringLiteral("01.02.2024"));
        QVERIFY(!form.Passed->isChecked());
        QCOMPARE(form.Number->text(), QStringLiteral("1"));
        plat.Next();
        QCOMPARE(form.EditName->text(), QStringLiteral("ЗАО Лютик"));
        QCOMPARE(form.EditSumma->text(), QStringLiteral("1234-5"));
        QVERIFY(form.Passed->isChecked());
        QCOMPARE(form.Number->text(), QStringLiteral("2"));
        plat.Close();
        QCOMPARE(form.EditName->text(), QString());
        QVERIFY(form.EditName->isReadOnly());
    }

    // Boxes and memos show their field anew whenever the dataset tells them to, also
    // when the text is the one they show already: caret at the end of a box and at the
    // start of a memo, nothing to undo or redo, the stored text after a cancel.
    void controlsShowTheirFieldAfterEveryChange() {
        OrderFixture fixture;
        TTable &plat = fixture.plat;
        QLineEdit *name = fixture.form.EditName;
        TDBMemo *memo = fixture.form.MemoPayer;
        const QString stored = QStringLiteral("ООО \"Вереск\"\nг. Тверь");
        name->setCursorPosition(3);
        memo->moveCursor(QTextCursor::End);
        plat.Edit();
        QCOMPARE(name->cursorPosition(), int(name->text().size()));
        QCOMPARE(memo->textCursor().position(), 0);
        name->insert(QStringLiteral("X")); // typed and taken back
        name->undo();
        memo->insertPlainText(QStringLiteral(" и К"));
        plat.Cancel();
        QCOMPARE(name->text(), QStringLiteral("ООО Ромашка"));
        QVERIFY(!name->isUndoAvailable() && !name->isRedoAvailable());
        QCOMPARE(name->cursorPosition(), int(name->text().size()));
        QCOMPARE(memo->toPlainText(), stored);
        QVERIFY(!memo->document()->isUndoAvailable());
    }

    // A form that owns its open table goes with its controls: the table closing on the
    // way tells no control (a ticked check box would look for its siblings in a window
    // half destroyed).
    void formGoesWithItsOpenTable() {
        TempDataFolder folder;
        auto *form = new TForm;
        auto *plat = new TTable(form, "PlatPor.DB");
        auto *source = new TDataSource(form, plat);
        auto *passed = new TDBCheckBox(QStringLiteral("Прошло через банк"), form, source, "FlYes");
        plat->Open();
        plat->Append();
        plat->FieldByName("FlYes")->SetAsBoolean(true);
        plat->Post();
        QVERIFY(passed->isChecked());
        delete form;
    }

    void typedTextIsWrittenWhenTheRowIsPosted() {
        OrderFixture fixture;
        TTable &plat = fixture.plat;
        TOrderForm &form = fixture.form;
        typeInto(form.EditSumma, QStringLiteral("12-5"));
        QCOMPARE(plat.State(), TDataSetState::dsEdit);         // the first change edits the row
        QCOMPARE(plat.FieldByName("SUMMA")->AsFloat(), 100.0); // not written while typing
        typeInto(form.EditName, QStringLiteral("ИП Иванов"));
        form.MemoPayer->setPlainText(QStringLiteral("ООО \"Вереск\"\nг. Москва"));
        typeInto(form.EditDate, QStringLiteral("05.03.2024"));
        form.Save->click();
        QCOMPARE(plat.State(), TDataSetState::dsBrowse);
        QCOMPARE(storedValue("select SUMMA from PlatPor where NUMBER = 1").toDouble(), 12.5);
        QCOMPARE(storedValue("select R_NAME from PlatPor where NUMBER = 1").toString(),
                 QStringLiteral("ИП Иванов"));
        QCOMPARE(storedValue("select P_NAME from PlatPor where NUMBER = 1").toString(),
                 QStringLiteral("ООО \"Вереск\"\r\nг. Москва"));
        QCOMPARE(plat.FieldByName("DATE_PLAT")->AsDate(), QDate(2024, 3, 5));

        // A check box writes at once; a cleared date edit clears the date.
        form.Passed->click();
        QCOMPARE(plat.State(), TDataSetState::dsEdit);
        QVERIFY(plat.FieldByName("FlYes")->AsBoolean());
        form.TypePay->setEditText(QStringLiteral("курьером"));
        emit form.TypePay->lineEdit()->textEdited(QStringLiteral("курьером"));
        typeInto(form.EditDate, QString());
        plat.Post();
        QCOMPARE(storedValue("select TYPE_PAY from PlatPor where NUMBER = 1").toString(),
                 QStringLiteral("курьером"));
        QVERIFY(fmt::IsZeroDate(plat.FieldByName("DATE_PLAT")->AsDate()));

        // Moving to another row posts what was typed.
        typeInto(form.EditName, QStringLiteral("ИП Петров"));
        plat.Next();
        QCOMPARE(storedValue("select R_NAME from PlatPor where NUMBER = 1").toString(),
                 QStringLiteral("ИП Петров"));
    }

    void unconvertibleTextStaysInEditing() {
        OrderFixture fixture;
        TTable &plat = fixture.plat;
        TOrderForm &form = fixture.form;
        showActive(&form);
        form.EditSumma->setFocus();
        QVERIFY(form.EditSumma->hasFocus());
        typeInto(form.EditSumma, QStringLiteral("12x"));

        // Posting refuses: the conversion message in the error box, the row still in
        // editing, the control keeps the text and the focus.
        const QString message = ErrorBoxText(fmt::InvalidFloatMessage(QStringLiteral("12x")));
        UiScript::ExpectError(message);
        form.EditName->setFocus(); // leaving the control tries first
        QVERIFY(form.EditSumma->hasFocus());
        UiScript::ExpectError(message);
        form.Save->click();
        QCOMPARE(plat.State(), TDataSetState::dsEdit);
        QCOMPARE(form.EditSumma->text(), QStringLiteral("12x"));
        QVERIFY(form.EditSumma->hasFocus());
        QCOMPARE(storedValue("select SUMMA from PlatPor where NUMBER = 1").toDouble(), 100.0);
        QCOMPARE(UiScript::MessageTexts(), (QStringList{message, message}));

        // Esc takes the typing back; the row then posts unchanged.
        QTest::keyClick(form.EditSumma, Qt::Key_Escape);
        QCOMPARE(form.EditSumma->text(), QStringLiteral("100"));
        form.Save->click();
        QCOMPARE(plat.State(), TDataSetState::dsBrowse);
        QVERIFY(form.isVisible());
    }

    // After an impossible date, Esc and Cancel leave without the error box: the bad
    // text is dropped and the row is as it was.
    void escAndCancelDropABadDate() {
        OrderFixture fixture;
        TTable &plat = fixture.plat;
        for (const bool byEsc : {true, false}) {
            TLeavingForm form(&fixture.source);
            showActive(&form);
            form.EditDate->setFocus();
            typeInto(form.EditDate, QStringLiteral("31.02.2026"));
            if (byEsc)
                QTest::keyClick(form.EditDate, Qt::Key_Escape);
            else
                QTest::mouseClick(form.Cancel, Qt::LeftButton);
            QVERIFY(!form.isVisible());
            QCOMPARE(plat.State(), TDataSetState::dsBrowse);
            QCOMPARE(plat.FieldByName("DATE_PLAT")->AsDate(), QDate(2024, 2, 1));
            QCOMPARE(form.EditDate->text(), QStringLiteral("01.02.2024"));
        }
        QVERIFY(UiScript::Messages().isEmpty());

        // Moving on to another box still reports it.
        TLeavingForm form(&fixture.source);
        showActive(&form);
        form.EditDate->setFocus();
        typeInto(form.EditDate, QStringLiteral("31.02.2026"));
        UiScript::ExpectError(ErrorBoxText(fmt::InvalidDateMessage(QStringLiteral("31.02.2026"))));
        form.EditName->setFocus();
        QVERIFY(form.EditDate->hasFocus());
    }

    // A year outside 1..9999 is refused with a message, never stored as an empty date.
    void yearOutsideTheCalendarIsRefused() {
        OrderFixture fixture;
        TField *date = fixture.plat.FieldByName("DATE_PLAT");
        fixture.plat.Edit();
        QVERIFY_THROWS_EXCEPTION(EConvertError, date->SetText(QStringLiteral("01.01.0000")));
        try {
            date->SetAsDate(QDate(10000, 1, 1));
            QFAIL("year 10000 stored");
        } catch (const EConvertError &e) {
            QCOMPARE(e.message(), QStringLiteral("Год 10000 вне допустимых пределов: от 1 до 9999"));
        }
        QCOMPARE(date->AsDate(), QDate(2024, 2, 1));
    }

    // A money field takes the settings' separator, "," and ".", and refuses a third
    // decimal typed; more than twelve rouble digits (a 20-digit account pasted in) is
    // refused with the error box.
    void moneyFieldTakesEitherSeparator() {
        TempDataFolder folder;
        TTable oplata(nullptr, "Oplata.db");
        oplata.Open();
        TDataSource source(nullptr, &oplata);
        TForm form;
        auto *summa = new TDBEdit(&form, &source, "SummaOpl");
        auto *other = new TDBEdit(&form, &source, "Primech");
        auto *layout = new QVBoxLayout(&form);
        layout->addWidget(summa);
        layout->addWidget(other);
        showActive(&form);
        for (const QChar separator : {QChar('-'), QChar('.'), QChar(',')}) {
            fmt::SetDecimalSeparator(separator);
            for (const QString &typed : {QStringLiteral("1234567,89"), QStringLiteral("1234567.89"),
                                         QStringLiteral("1234567") + separator + QStringLiteral("89")}) {
                summa->setFocus();
                typeInto(summa, typed);
                other->setFocus();
                QCOMPARE(oplata.FieldByName("SummaOpl")->AsFloat(), 1234567.89);
                oplata.FieldByName("SummaOpl")->Clear();
            }
            summa->setFocus();
            summa->clear();
            QTest::keyClicks(summa, QStringLiteral("12") + separator + QStringLiteral("345"));
            QCOMPARE(summa->text(),
                     QStringLiteral("12") + separator + QStringLiteral("34")); // no third decimal
            other->setFocus();
            oplata.FieldByName("SummaOpl")->Clear();
        }
        fmt::SetDecimalSeparator('-');
        summa->setFocus();
        typeInto(summa, QStringLiteral("40702810000000000001"));
        UiScript::ExpectError(ErrorBoxText(fmt::InvalidMoneyMessage(QStringLiteral("40702810000000000001"))));
        other->setFocus();
        QVERIFY(summa->hasFocus());
        QVERIFY(oplata.FieldByName("SummaOpl")->IsNull());
    }

    // Bound text inputs take no more than their field holds, so the user sees the limit
    // while typing; a line break counts as the two characters it is stored as, and a
    // cut never splits a character.
    void textInputsKeepToTheirField() {
        OrderFixture fixture;
        TTable &plat = fixture.plat;
        TDBMemo remark(nullptr, &fixture.source, "REMARK"); // A250
        remark.setFocus();
        remark.insertPlainText(QString(2000, QChar(0x44F))); // "я"
        QCOMPARE(remark.toPlainText().size(), 250);
        remark.clear();
        remark.insertPlainText(QString(100, QChar('a')) + QStringLiteral("\n") + QString(200, QChar('b')));
        QCOMPARE(remark.toPlainText().size(), 249); // 100 + CR LF + 148
        remark.clear();
        const QString clef = QStringLiteral("\U0001D11E"); // two UTF-16 halves
        remark.insertPlainText(QString(249, QChar('c')) + clef);
        QCOMPARE(remark.toPlainText(), QString(249, QChar('c')));
        plat.Post();
        QCOMPARE(storedValue("select length(REMARK) from PlatPor where NUMBER = 1").toInt(), 249);

        fixture.form.TypePay->setFocus(); // A20
        QTest::keyClicks(fixture.form.TypePay->lineEdit(), QString(30, QChar('x')));
        QCOMPARE(fixture.form.TypePay->currentText().size(), 20);
        typeInto(fixture.form.EditName, QString(149, QChar('d')) + clef); // A150
        QCOMPARE(fixture.form.EditName->text(), QString(149, QChar('d')));
    }

    void errorInHandlerLeavesDataAsTheEngineLeftIt() {
        OrderFixture fixture;
        TTable &plat = fixture.plat;
        TOrderForm &form = fixture.form;
        form.show();
        QPushButton add(QStringLiteral("Добавить"), &form);
        OnClick(&add, [&] {
            plat.Edit();
            plat.FieldByName("R_NAME")->SetAsString(QStringLiteral("Записано"));
            plat.Post();
            plat.Edit();
            plat.FieldByName("R_NAME")->SetAsString(QStringLiteral("Не записано"));
            throw EDatabaseError(QStringLiteral("Нарушение ключа"));
        });
        UiScript::ExpectError(QStringLiteral("Нарушение ключа."));
        add.click();
        QVERIFY(form.isVisible());
        QCOMPARE(plat.State(), TDataSetState::dsEdit);
        QCOMPARE(form.EditName->text(), QStringLiteral("Не записано"));
        QCOMPARE(storedValue("select R_NAME from PlatPor where NUMBER = 1").toString(),
                 QStringLiteral("Записано"));
    }

    void readOnlyDataSetRefusesTyping() {
        OrderFixture fixture;
        TQuery list;
        list.SetSQLText("select NUMBER, R_NAME from PlatPor order by NUMBER");
        list.Open();
        TDataSource source(nullptr, &list);
        TDBEdit edit(nullptr, &source, "R_NAME");
        QVERIFY(edit.isReadOnly());
        typeInto(&edit, QStringLiteral("чужое"));
        QCOMPARE(list.State(), TDataSetState::dsBrowse);
        QCOMPARE(edit.text(), QStringLiteral("ООО Ромашка"));
    }

    void lookupComboStoresTheKey() {
        TempDataFolder folder;
        TTable klient(nullptr, "Klient.DB");
        klient.Open();
        for (const char *name : {"Альфа", "Бета"}) {
            klient.Append();
            klient.FieldByName("Name")->SetAsString(QString::fromUtf8(name));
            klient.Post();
        }
        klient.Last();
        const double betaId = klient.FieldByName("Klient_id")->AsFloat();
        TTable bank(nullptr, "Bank.db");
        bank.Open();
        bank.Append();
        bank.Post();
        TDataSource bankSource(nullptr, &bank), klientSource(nullptr, &klient);
        TDBLookupComboBox combo(nullptr, &bankSource, "Klient_id");
        combo.SetListSource(&klientSource, "Klient_id", "Name");
        QCOMPARE(combo.count(), 2);
        QCOMPARE(combo.currentIndex(), -1);
        combo.setCurrentIndex(1);
        emit combo.activated(1);
        QCOMPARE(bank.FieldByName("Klient_id")->AsFloat(), betaId);
        bank.Post();
        bank.Refresh();
        QCOMPARE(combo.currentText(), QStringLiteral("Бета"));
    }

    // The calendar opens from the keyboard, its arrows move the day and Enter takes it:
    // the form hears of the close with the day already in the box.
    void datePickerReportsCalendarClose() {
        TDateTimePicker picker;
        showActive(&picker);
        QDate seen;
        Connect(&picker, &TDateTimePicker::closeUp, [&] {
            seen = picker.Date();
            throw EAbort(); // handlers run through the guard
        });
        picker.SetDate(QDate(2024, 12, 25));
        QCOMPARE(picker.text(), QStringLiteral("25.12.2024"));
        QTest::keyClick(&picker, Qt::Key_Down, Qt::AltModifier);
        QTest::keyClick(&picker, Qt::Key_Right);
        QTest::keyClick(&picker, Qt::Key_Return);
        QCOMPARE(seen, QDate(2024, 12, 26));
        picker.SetDate(fmt::ZeroDate());
        QVERIFY(fmt::IsZeroDate(picker.Date()));
    }

    // A date typed in full gives exactly that date, however the box was entered; what is
    // no whole date is told as the box is left, which keeps the focus.
    void dateBoxTakesWhatIsTyped_data() {
        QTest::addColumn<bool>("period");
        QTest::addColumn<QString>("way");
        QTest::addColumn<QString>("typed");
        for (const bool period : {false, true}) {
            for (const char *way : {"click", "click with the focus in", "Tab"})
                QTest::addRow("%d, %s", period, way) << period << QString::fromLatin1(way) << "05032025";
            QTest::addRow("%d, 01.11.1", period)
                << period << QStringLiteral("Tab") << QStringLiteral("01.11.1");
        }
    }
    void dateBoxTakesWhatIsTyped() {
        QFETCH(bool, period);
        QFETCH(QString, way);
        QFETCH(QString, typed);
        OrderFixture fixture; // the order is dated 01.02.2024
        TForm form;
        auto *before = new QLineEdit(&form);
        auto *picker = period ? new TDateTimePicker(&form) : nullptr;
        QLineEdit *box =
            picker ? picker : static_cast<QLineEdit *>(new TDBDateEdit(&form, &fixture.source, "DATE_PLAT"));
        showActive(&form);
        (way == "click with the focus in" ? box : before)->setFocus();
        if (way == "Tab")
            QTest::keyClick(before, Qt::Key_Tab);
        else
            QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(box->width() / 3, box->height() / 2));
        QTest::keyClicks(box, typed);
        const bool isDate = typed == "05032025";
        if (!isDate) UiScript::ExpectError(ErrorBoxText(fmt::InvalidDateMessage(typed)));
        before->setFocus();
        QCOMPARE(box->hasFocus(), !isDate);
        if (picker && !isDate) QVERIFY_THROWS_EXCEPTION(EConvertError, picker->Date());
        QCOMPARE(picker && isDate ? picker->Date() : fixture.plat.FieldByName("DATE_PLAT")->AsDate(),
                 isDate ? QDate(2025, 3, 5) : QDate(2024, 2, 1));
    }

    // Lines beyond the field pasted as the first edit of a row go in as one change that
    // fits, the row in editing already: nothing is cut or shown anew while the toolkit is
    // still inserting them.
    void pasteIntoAMemoIsOneChange() {
        OrderFixture fixture;
        TDBMemo *memo = fixture.form.MemoPayer; // P_NAME holds 150
        memo->selectAll();
        const QString lines = QStringLiteral("ООО \"Ландыш\"\r\nфилиал\r\n");
        QApplication::clipboard()->setText(lines + QString(300, QChar(0x44F)));
        QList<TDataSetState> changes; // the row's state at each change of the text
        QObject::connect(memo->document(), &QTextDocument::contentsChange, memo,
                         [&] { changes << fixture.plat.State(); });
        QTest::keyClick(memo, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(changes, QList<TDataSetState>{TDataSetState::dsEdit});
        fixture.plat.Post();
        QCOMPARE(fixture.plat.FieldByName("P_NAME")->AsString(), lines + QString(150 - 22, QChar(0x44F)));
    }

    // A text pasted into a one-line box, however it goes in, has its line breaks ("\r\n",
    // a lone "\r" or "\n") as blanks.
    void pasteIntoALineBoxTakesLineBreaksAsBlanks_data() {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("way");
        QTest::addColumn<QString>("pasted");
        QTest::addColumn<QString>("shown");
        const auto row = [](const char *name, const char *box, const char *way, const char *pasted,
                            const char *shown) {
            QTest::newRow(name) << QString::fromUtf8(box) << QString::fromUtf8(way)
                                << QString::fromUtf8(pasted) << QString::fromUtf8(shown);
        };
        row("INN, CR LF", "R_Inn", "Ctrl+V", "7701\r\n234567", "7701 234567");
        row("INN, lone CR", "R_Inn", "Ctrl+V", "7701\r234567", "7701 234567");
        row("INN, lone LF", "R_Inn", "Ctrl+V", "7701\n234567", "7701 234567");
        row("INN, context menu", "R_Inn", "menu", "7701\r\n234567", "7701 234567");
        row("INN, dropped", "R_Inn", "drop", "7701\r\n234567", "7701 234567");
        row("combo box", "TYPE_PAY", "Ctrl+V", "почтой\r\nсрочно", "почтой срочно");
        row("plain box", "plain", "Ctrl+V", "г. Тверь\r\n", "г. Тверь ");
        row("money box", "money", "Ctrl+V", "1234\r\n", "1234 ");
    }
    void pasteIntoALineBoxTakesLineBreaksAsBlanks() {
        QFETCH(QString, box);
        QFETCH(QString, way);
        QFETCH(QString, pasted);
        QFETCH(QString, shown);
        OrderFixture fixture;
        TForm &form = fixture.form;
        QLineEdit *line = box == "plain"      ? new TEdit(&form)
                          : box == "money"    ? new TCurrencyEdit(&form)
                          : box == "TYPE_PAY" ? fixture.form.TypePay->lineEdit()
                                              : new TDBEdit(&form, &fixture.source, box);
        line->selectAll();
        QApplication::clipboard()->setText(pasted);
        if (way == "Ctrl+V") {
            QTest::keyClick(line, Qt::Key_V, Qt::ControlModifier);
        } else if (way == "menu") {
            QContextMenuEvent click(QContextMenuEvent::Mouse, QPoint(2, 2), line->mapToGlobal(QPoint(2, 2)));
            QApplication::sendEvent(line, &click);
            auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
            QVERIFY(menu);
            for (QAction *action : menu->actions())
                if (action->text().startsWith(QLineEdit::tr("&Paste"))) action->trigger();
            menu->close();
        } else {
            QMimeData dropped;
            dropped.setText(pasted);
            QDragEnterEvent enter(QPoint(2, 2), Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(line, &enter);
            QDropEvent drop(QPointF(2, 2), Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(line, &drop);
        }
        QCOMPARE(line->text(), shown);
        if (box == "R_Inn" || box == "TYPE_PAY") {
            fixture.plat.Post();
            QCOMPARE(fixture.plat.FieldByName(box)->AsString(), shown);
        }
    }

    // A one-line memo whose stored text holds a line break takes what is typed.
    void oneLineMemoTakesTypingOverAStoredLineBreak() {
        OrderFixture fixture; // P_NAME is "ООО \"Вереск\"\r\nг. Тверь"
        fixture.form.MemoPayer->SetWantReturns(false);
        fixture.form.MemoPayer->moveCursor(QTextCursor::End);
        QTest::keyClicks(fixture.form.MemoPayer, QStringLiteral("a"));
        fixture.plat.Post();
        QCOMPARE(fixture.plat.FieldByName("P_NAME")->AsString(), QStringLiteral("ООО \"Вереск\" г. Тверьa"));
    }

    void editMasksConvert_data() {
        QTest::addColumn<QString>("editMask");
        QTest::addColumn<QString>("inputMask");
        QTest::newRow("date") << "!99/99/0000;1;_"
                              << "00.00.9999;_";
        QTest::newRow("payment document date") << "!90/90/0000;1;_"
                                               << "09.09.9999;_";
        QTest::newRow("literal meta") << "L-\\A;0; "
                                      << "A-\\A; ";
        QTest::newRow("none") << ""
                              << "";
    }
    void editMasksConvert() {
        QFETCH(QString, editMask);
        QFETCH(QString, inputMask);
        QCOMPARE(QtInputMask(editMask), inputMask);
    }
};

QTEST_MAIN(TestDBControls)
#include "tst_dbctrls.moc"
