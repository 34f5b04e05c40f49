#include "refbooks/USlAssort.h"

#include "controls/DBGrid.h"
#include "controls/StdCtrls.h"
#include "refbooks/PickerLayout.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>

TSlAssort *SlAssort = nullptr;

namespace {

const QStringList AssortSQL = {
    QStringLiteral("select distinct Name_tov from Faktura"),
    QStringLiteral("where Name_tov like :tov"),
    QStringLiteral("order by Name_tov"),
};

} // namespace

TSlAssort::TSlAssort(QWidget *parent) : TForm(parent) {
    setObjectName(QStringLiteral("SlAssort"));
    SetCaption(QStringLiteral("Ассортимент"));
    resize(520, 400);

    Query1 = new TQuery(this);
    Query1->setObjectName(QStringLiteral("Query1"));
    Query1->SetSQL(AssortSQL);
    Query1->ParamByName(QStringLiteral("tov"))->SetDataType(TFieldType::ftString);
    Query1Name_tov = Query1->AddField(QStringLiteral("Name_tov"), TFieldType::ftString, 100);
    DataSource1 = new TDataSource(this, Query1);

    auto *top = new QHBoxLayout;
    auto *label = new QLabel(QStringLiteral("Поиск"), this);
    Edit1 = new TEdit(this, Query1Name_tov->Size());
    label->setBuddy(Edit1);
    top->addWidget(label);
    top->addWidget(Edit1);

    DBGrid1 = new TDBGrid(this, DataSource1);
    DBGrid1->SetReadOnly(true);
    DBGrid1->AddColumn(QStringLiteral("Name_tov"), QStringLiteral("Наименование"), 460);

    const TPickerButtons buttons = LayOutPicker(this, DBGrid1, top);
    BitBtn1 = buttons.Ok;
    BitBtn2 = buttons.Cancel;
    OnClick(BitBtn1, [this] { BitBtn1Click(); });
    ChooseOnDoubleClick(this, DBGrid1, [this] { BitBtn1Click(); });
    OnKeyDown(DBGrid1, [this](int &Key, Qt::KeyboardModifiers) { DBGrid1KeyDown(Key); });
    OnKeyPress(DBGrid1, [this](QChar &Key) { DBGrid1KeyPress(Key); });
}

void TSlAssort::FormShow() {
    ChosenTovar.clear();
    ReopenQuery1();
    DBGrid1->setFocus();
}

// The names that begin with the search text (LIKE: a typed "_" stands for any one
// character).
void TSlAssort::ReopenQuery1() {
    Query1->Close();
    Query1->ParamByName(QStringLiteral("tov"))->SetAsString(Edit1->text() + QLatin1Char('%'));
    Query1->Open();
}

// Letters and the digits 1 to 9 extend the search text and Backspace shortens it;
// whatever the character, the list is read again. The space, "0", "%" and the other
// signs below "1" are not added.
void TSlAssort::DBGrid1KeyPress(QChar &Key) {
    const QChar typed = Key;
    if (typed.unicode() < 32 && typed != QChar(8)) return; // Esc, Tab, Enter keep their meaning
    if (typed.unicode() >= 49)
        Edit1->setText(Edit1->text() + typed);
    else if (typed == QChar(8)) {
        QString text = Edit1->text();
        text.chop(1);
        Edit1->setText(text);
    }
    Key = QChar(); // the grid's own search by first letter would move the cursor elsewhere
    ReopenQuery1();
}

void TSlAssort::DBGrid1KeyDown(int &Key) {
    if (Key != Qt::Key_Return) return;
    Key = 0;
    BitBtn1Click();
    SetModalResult(mrOk);
}

void TSlAssort::BitBtn1Click() {
    ChosenTovar = Query1Name_tov->AsString();
}

void TSlAssort::FormClose() {
    Query1->Close();
    Edit1->clear();
}
