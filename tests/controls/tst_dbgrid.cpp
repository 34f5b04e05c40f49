// The grid over a dataset: a sound model, rows read only as they are shown, the
// current row shared with the dataset's cursor, editing through the fields, and the
// form's keys and signals.
#include "DecimalSeparatorScope.h"
#include "controls/DBCtrls.h"
#include "controls/DBGrid.h"
#include "controls/Forms.h"
#include "controls/UiScript.h"
#include "db/Database.h"
#include "db/Errors.h"
#include "db/Formats.h"
#include "db/Query.h"
#include "db/Table.h"
#include "support/TestSupport.h"

#include <QAbstractItemModelTester>
#include <QClipboard>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QLineEdit>
#include <QScrollBar>
#include <QSignalSpy>
#include <QToolButton>
#include <QVBoxLayout>
#include <QtTest>

namespace {

// Orders numbered 1..count with the sum 1.5 times the number.
void addOrders(int count) {
    db::TTransaction transaction;
    db::Database::Exec(
        QStringLiteral("insert into PlatPor (NUMBER, SUMMA, R_NAME) "
                       "with recursive n(i) as (select 1 union all select i + 1 from n where i < ?) "
                       "select i, i * 1.5, 'Получатель ' || i from n"),
        {count});
    transaction.Commit();
}

// A data folder with orders, open in a table.
struct OrdersTable {
    explicit OrdersTable(int count) {
        addOrders(count);
        plat.Open();
    }
    TempDataFolder folder;
    TTable plat{nullptr, "PlatPor.DB"};
    TDataSource source{nullptr, &plat};
};

// The grid read-only with the order's number as its one column, shown and focused.
void showNumbers(TDBGrid &grid) {
    grid.SetReadOnly(true);
    grid.AddColumn("NUMBER", QStringLiteral("№"), 60);
    grid.resize(400, 300);
    grid.show();
    grid.setFocus();
}

// The grid editable with the order's number and recipient, shown active and focused.
void showNumbersAndNames(TDBGrid &grid) {
    grid.AddColumn("NUMBER");
    grid.AddColumn("R_NAME");
    showActive(&grid);
    grid.setFocus();
}

// Types `text` into the grid's current cell as the user does: the first key opens the
// cell's editor (or goes to the one open), the others go to the editor.
void typeIntoCell(const QString &text) {
    QTest::keyClicks(QApplication::focusWidget(), text.left(1));
    QTest::keyClicks(QApplication::focusWidget(), text.mid(1));
}

} // namespace

class TestDBGrid : public ScriptedTestCase {
    Q_OBJECT
private slots:

    void modelPassesTheTester() {
        TempDataFolder folder;
        addOrders(700); // more than one fetch
        TQuery plat;
        plat.SetSQLText("select * from PlatPor order by NUMBER");
        plat.Open();
        TDataSource source(nullptr, &plat);
        TDBGrid grid(nullptr, &source);
        grid.AddColumn("NUMBER", QStringLiteral("№"), 50);
        grid.AddColumn("R_NAME", QStringLiteral("Получатель"));
        grid.AddColumn("SUMMA", QStringLiteral("Сумма"), 90)->SetTitleColors(Qt::yellow, Qt::blue);
        QAbstractItemModelTester tester(grid.Model(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        TDataSetModel *model = grid.Model();
        while (model->canFetchMore(QModelIndex()))
            model->fetchMore(QModelIndex());
        QCOMPARE(model->rowCount(), 700);
        QCOMPARE(model->index(1, 2).data().toString(), QStringLiteral("3"));
        QCOMPARE(model->index(2, 2).data().toString(), QStringLiteral("4-5"));
        QCOMPARE(model->index(2, 1).data().toString(), QStringLiteral("Получатель 3"));
        QCOMPARE(model->index(2, 2).data(Qt::TextAlignmentRole).toInt(),
                 int(Qt::AlignRight | Qt::AlignVCenter));
        QCOMPARE(model->index(2, 1).data(Qt::TextAlignmentRole).toInt(),
                 int(Qt::AlignLeft | Qt::AlignVCenter));
        QCOMPARE(model->headerData(0, Qt::Horizontal).toString(), QStringLiteral("№"));
        QCOMPARE(model->headerData(2, Qt::Horizontal, Qt::BackgroundRole).value<QColor>(),
                 QColor(Qt::yellow));
        // Re-reading, closing and reopening go through the tester too.
        plat.Refresh();
        plat.Close();
        QCOMPARE(model->rowCount(), 0);
        plat.Open();
        plat.Last();
        QCOMPARE(model->rowCount(), 700);
    }

    void hundredThousandRowsOpenAtOnce() {
        TempDataFolder folder;
        addOrders(100000);
        TQuery plat;
        plat.SetSQLText("select * from PlatPor order by NUMBER");
        TDataSource source(nullptr, &plat);
        TDBGrid grid(nullptr, &source);
        grid.SetReadOnly(true);
        grid.AddColumn("NUMBER", QStringLiteral("№"), 60);
        grid.AddColumn("R_NAME", QStringLiteral("Получатель"));
        grid.AddColumn("SUMMA", QStringLiteral("Сумма"), 90);
        grid.resize(800, 600);
        QElapsedTimer timer;
        timer.start();
        plat.Open();
        grid.show();
        QCoreApplication::processEvents();
        grid.grab(); // paints the visible rows
        QVERIFY2(timer.elapsed() < 2000, qPrintable(QString::number(timer.elapsed())));
        QVERIFY(!plat.AllRowsFetched());
        QVERIFY(grid.Model()->rowCount() < 100000);

        // The cursor at the end: the grid goes there too.
        plat.Last();
        QCOMPARE(grid.Model()->rowCount(), 100000);
        QCOMPARE(grid.currentIndex().row(), 99999);
        QCOMPARE(grid.Model()->index(99999, 2).data().toString(), QStringLiteral("150000"));
    }

    // Ctrl+End over a table read lazily goes to its real last row at once, Ctrl+Home
    // back to the first; scrolling up from the end reads the rows before.
    void ctrlEndReachesTheRealLastRow() {
        OrdersTable orders(100000);
        TDBGrid grid(nullptr, &orders.source);
        showNumbers(grid);
        QVERIFY(!orders.plat.AllRowsFetched());
        QTest::keyClick(&grid, Qt::Key_End, Qt::ControlModifier);
        QCOMPARE(orders.plat.FieldByName("NUMBER")->AsInteger(), 100000);
        QCOMPARE(grid.currentIndex().row(), 99999);
        QCOMPARE(grid.currentIndex().data().toString(), QStringLiteral("100000"));
        for (int i = 0; i < 300; ++i)
            QTest::keyClick(&grid, Qt::Key_Up);
        QCOMPARE(orders.plat.FieldByName("NUMBER")->AsInteger(), 99700);
        QCOMPARE(grid.currentIndex().data().toString(), QStringLiteral("99700"));
        QTest::keyClick(&grid, Qt::Key_Home, Qt::ControlModifier);
        QCOMPARE(orders.plat.FieldByName("NUMBER")->AsInteger(), 1);
        QCOMPARE(grid.currentIndex().row(), 0);
    }

    // Over more rows than the grid counts: Ctrl+End shows the last rows at once, and
    // moving and scrolling up reads the rows before, in order, until the first.
    void uncountedRowsReadUpwards() {
        OrdersTable orders(3000);
        const int limit = TDBGrid::ExactCountLimit;
        TDBGrid::ExactCountLimit = 1000;
        TDBGrid grid(nullptr, &orders.source);
        showNumbers(grid);
        QTest::keyClick(&grid, Qt::Key_End, Qt::ControlModifier);
        QCOMPARE(grid.currentIndex().data().toString(), QStringLiteral("3000"));
        QVERIFY(grid.Model()->rowCount() < 3000);
        for (int i = 0; i < 600; ++i)
            QTest::keyClick(&grid, Qt::Key_Up);
        QCOMPARE(orders.plat.FieldByName("NUMBER")->AsInteger(), 2400);
        QCOMPARE(grid.currentIndex().data().toString(), QStringLiteral("2400"));
        QCOMPARE(grid.Model()->index(grid.currentIndex().row() + 1, 0).data().toString(),
                 QStringLiteral("2401"));
        for (int i = 0; i < 40 && grid.verticalScrollBar()->value() > 0; ++i)
            grid.verticalScrollBar()->setValue(0);
        QCOMPARE(grid.Model()->rowCount(), 3000);
        QCOMPARE(grid.Model()->index(0, 0).data().toString(), QStringLiteral("1"));
        QCOMPARE(orders.plat.RecNo(), 2399);
        TDBGrid::ExactCountLimit = limit;
    }

    // A row written while the grid stands halfway through 100 000: the grid keeps the
    // rows it shows, and the new row appears where the order puts it, current.
    void writeWhileScrolledHalfway() {
        OrdersTable orders(100000);
        TTable &plat = orders.plat;
        plat.SetIndexFieldNames("NUMBER");
        TDBGrid grid(nullptr, &orders.source);
        grid.SetReadOnly(true);
        grid.AddColumn("NUMBER", QStringLiteral("№"), 60);
        grid.AddColumn("SUMMA", QStringLiteral("Сумма"), 90);
        grid.resize(400, 300);
        grid.show();
        plat.SetRecNo(50000);
        grid.scrollTo(grid.currentIndex(), QAbstractItemView::PositionAtTop);
        QCoreApplication::processEvents();
        const QString top = grid.indexAt(QPoint(1, 1)).data().toString();
        QCOMPARE(grid.currentIndex().data().toString(), QStringLiteral("50001"));
        plat.Insert();
        plat.FieldByName("NUMBER")->SetAsFloat(50003.5);
        plat.FieldByName("SUMMA")->SetAsFloat(7);
        plat.Post();
        QCoreApplication::processEvents();
        QCOMPARE(grid.indexAt(QPoint(1, 1)).data().toString(), top);
        QCOMPARE(plat.RecNo(), 50003);
        QCOMPARE(grid.currentIndex().row(), 50003);
        QCOMPARE(grid.currentIndex().siblingAtColumn(1).data().toString(), QStringLiteral("7"));
        QCOMPARE(grid.Model()->index(50002, 0).data().toString(), QStringLiteral("50003"));
        QCOMPARE(grid.Model()->index(50004, 0).data().toString(), QStringLiteral("50004"));
        QCOMPARE(plat.RecordCount(), 100001);
        // Written elsewhere and read again: the grid stays on its row.
        db::Database::Exec("insert into PlatPor (NUMBER, SUMMA) values (50002.5, 8)");
        plat.Refresh();
        QCoreApplication::processEvents();
        const QModelIndex current = grid.currentIndex();
        QCOMPARE(current.siblingAtColumn(1).data().toString(), QStringLiteral("7"));
        QCOMPARE(grid.Model()->index(current.row() - 1, 0).data().toString(), QStringLiteral("50003"));
        QCOMPARE(grid.Model()->index(current.row() - 2, 1).data().toString(), QStringLiteral("8"));
        QCOMPARE(grid.Model()->index(current.row() + 1, 0).data().toString(), QStringLiteral("50004"));
        QCOMPARE(plat.RecNo(), 50004);
        QCOMPARE(plat.RecordCount(), 100002);
    }

    void currentRowIsTheCursorBothWays() {
        OrdersTable orders(5);
        TTable &plat = orders.plat;
        TDataSource &source = orders.source;
        TDBGrid grid(nullptr, &source);
        grid.SetReadOnly(true);
        grid.AddColumn("NUMBER");
        grid.AddColumn("SUMMA");
        QCOMPARE(grid.currentIndex().row(), 0);
        plat.Next();
        plat.Next();
        QCOMPARE(grid.currentIndex().row(), 2);
        TDBEdit summa(nullptr, &source, "SUMMA"); // an edit on the same source follows the grid
        grid.setCurrentIndex(grid.Model()->index(4, 1));
        QCOMPARE(plat.RecNo(), 4);
        QCOMPARE(plat.FieldByName("NUMBER")->AsInteger(), 5);
        QCOMPARE(summa.text(), QStringLiteral("7-5"));
        // Whole rows are selected in a read-only grid, and nothing edits.
        QVERIFY(grid.selectionModel()->isRowSelected(4, QModelIndex()));
        QVERIFY(!(grid.Model()->flags(grid.Model()->index(4, 1)) & Qt::ItemIsEditable));
        // Columns set later by the form (a register switching its number column).
        grid.Columns(0)->SetFieldName("R_NAME");
        grid.Columns(0)->SetTitle(QStringLiteral("Получатель"));
        QCOMPARE(grid.Model()->index(4, 0).data().toString(), QStringLiteral("Получатель 5"));
        QCOMPARE(grid.Model()->headerData(0, Qt::Horizontal).toString(), QStringLiteral("Получатель"));
        QCOMPARE(grid.currentIndex().row(), 4);
    }

    void editableGridWritesThroughTheFields() {
        OrdersTable orders(3);
        TTable &plat = orders.plat;
        TDataSource &source = orders.source;
        TDBGrid grid(nullptr, &source);
        grid.AddColumn("NUMBER", QString(), 0, true);
        grid.AddColumn("SUMMA");
        TDataSetModel *model = grid.Model();
        QVERIFY(!(model->flags(model->index(1, 0)) & Qt::ItemIsEditable));
        QVERIFY(model->flags(model->index(1, 1)) & Qt::ItemIsEditable);

        const QString message = ErrorBoxText(fmt::InvalidFloatMessage(QStringLiteral("12x")));
        UiScript::ExpectError(message);
        QVERIFY(!model->setData(model->index(1, 1), QStringLiteral("12x")));
        QCOMPARE(plat.RecNo(), 1);
        QCOMPARE(plat.FieldByName("SUMMA")->AsFloat(), 3.0);

        // A cell passed through without a change writes nothing.
        int checks = 0;
        plat.FieldByName("SUMMA")->OnValidate = [&](TField *) { ++checks; };
        QVERIFY(model->setData(model->index(1, 1), model->index(1, 1).data(Qt::EditRole)));
        QCOMPARE(checks, 0);
        QVERIFY(model->setData(model->index(1, 1), QStringLiteral("12-25")));
        QCOMPARE(checks, 1);
        QCOMPARE(plat.State(), TDataSetState::dsEdit);
        QCOMPARE(model->index(1, 1).data().toString(), QStringLiteral("12-25"));
        // A text pasted into a cell comes in one line, its line breaks as blanks.
        grid.Columns(1)->SetFieldName("R_NAME");
        grid.setCurrentIndex(model->index(1, 1));
        grid.edit(model->index(1, 1));
        QApplication::clipboard()->setText(QStringLiteral("ООО\r\nРомашка"));
        QTest::keyClick(grid.viewport()->findChild<QLineEdit *>(), Qt::Key_V, Qt::ControlModifier);
        grid.EndCellEdit(true);
        QCOMPARE(plat.FieldByName("R_NAME")->AsString(), QStringLiteral("ООО Ромашка"));
        grid.Columns(1)->SetFieldName("SUMMA");
        grid.setCurrentIndex(model->index(2, 1)); // leaving the row posts it
        QCOMPARE(plat.State(), TDataSetState::dsBrowse);
        QCOMPARE(plat.RecNo(), 2);
        TQuery check;
        check.SetSQLText("select SUMMA from PlatPor where NUMBER = 2");
        check.Open();
        QCOMPARE(check.Fields(0)->AsFloat(), 12.25);

        // An ellipsis column's cell editor carries the button the form reacts to.
        grid.Columns(1)->SetEllipsis(true);
        QSignalSpy ellipsis(&grid, &TDBGrid::editButtonClick);
        grid.setCurrentIndex(model->index(0, 1));
        grid.edit(model->index(0, 1));
        auto *button = grid.viewport()->findChild<QToolButton *>();
        QVERIFY(button);
        button->click();
        QCOMPARE(ellipsis.count(), 1);
    }

    // A money cell keeps whole kopecks under each decimal separator: a third decimal
    // typed is refused, and an amount pasted with more decimals is stored rounded by the
    // money rule, the cell then showing what was stored. A price keeps what was typed.
    void moneyCellKeepsKopecks_data() {
        QTest::addColumn<QString>("sep");
        for (const char *sep : {"-", ".", ","})
            QTest::newRow(sep) << QString::fromLatin1(sep);
    }
    void moneyCellKeepsKopecks() {
        QFETCH(QString, sep);
        DecimalSeparatorScope scope(sep);
        TempDataFolder folder;
        db::Database::Exec("insert into Faktura (ZAG_ID) values (1)");
        TTable lines(nullptr, "Faktura.DB");
        lines.Open();
        TDataSource source(nullptr, &lines);
        TDBGrid grid(nullptr, &source);
        grid.AddColumn("Summa");
        grid.AddColumn("CENA_TOV");
        showActive(&grid);
        const auto enterCell = [] { // the editor writes on Enter as the events come round
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            QCoreApplication::processEvents();
        };
        typeIntoCell("12" + sep + "345");
        QCOMPARE(qobject_cast<QLineEdit *>(QApplication::focusWidget())->text(), "12" + sep + "34");
        enterCell();
        grid.edit(grid.currentIndex());
        QApplication::clipboard()->setText(QStringLiteral("1000.045"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_V, Qt::ControlModifier);
        enterCell();
        QVERIFY(lines.FieldByName("Summa")->AsFloat() == 1000.05);
        QCOMPARE(grid.currentIndex().data().toString(), "1 000" + sep + "05");
        QTest::keyClick(&grid, Qt::Key_Right);
        typeIntoCell("0.125");
        enterCell();
        QVERIFY(lines.FieldByName("CENA_TOV")->AsFloat() == 0.125);
    }

    // Tab and Shift+Tab typed in the cell with the "..." button move to the next and the
    // previous cell with what was typed, as from any other cell and from the grid with no
    // cell open, instead of sending the focus to the form's next box. A cell takes no more
    // than its field holds.
    void tabMovesOnFromAButtonCell() {
        OrdersTable orders(2);
        TForm form;
        auto *grid = new TDBGrid(&form, &orders.source);
        grid->AddColumn("NUMBER");
        grid->AddColumn("R_BANK")->SetEllipsis(true); // A100
        grid->AddColumn("R_ACCOUNT");
        auto *next = new QLineEdit(&form);
        auto *layout = new QVBoxLayout(&form);
        layout->addWidget(grid);
        layout->addWidget(next);
        showActive(&form);
        TDataSetModel *model = grid->Model();
        const QModelIndex bank = model->index(0, 1);
        grid->setFocus();
        grid->setCurrentIndex(bank);
        grid->edit(bank);
        QTest::keyClicks(QApplication::focusWidget(), QString(120, QChar('b')));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(grid->currentIndex(), model->index(0, 2));
        QVERIFY(grid->isAncestorOf(QApplication::focusWidget()));
        QCOMPARE(orders.plat.FieldByName("R_BANK")->AsString(), QString(100, QChar('b')));

        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
        QCOMPARE(grid->currentIndex(), bank);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(grid->currentIndex(), model->index(0, 0));
        QVERIFY(!next->hasFocus());
        // With no cell being edited (Esc dropped its text) Tab moves just the same.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QTest::keyClick(grid, Qt::Key_Tab);
        QCOMPARE(grid->currentIndex(), bank);
    }

    // Insert from an open cell editor: the typed text goes to its row, as on leaving the
    // cell, and a new row comes. A text the field refuses keeps the editor with it and the
    // row, whether Insert, Tab, Down or a click on another row was to leave it. A date cell
    // takes its digits into the date mask.
    void refusedCellKeepsItsEditor() {
        OrdersTable orders(2);
        TDBGrid grid(nullptr, &orders.source);
        grid.AddColumn("R_NAME");
        grid.AddColumn("SUMMA");
        grid.AddColumn("DATE_PLAT");
        showActive(&grid);
        grid.setCurrentIndex(grid.Model()->index(1, 0));
        grid.edit(grid.currentIndex());
        QTest::keyClicks(QApplication::focusWidget(), "Renamed");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Insert);
        QCOMPARE(orders.plat.State(), TDataSetState::dsInsert);
        QCOMPARE(db::Database::ScalarValue("select R_NAME from PlatPor where NUMBER = 2").toString(),
                 QStringLiteral("Renamed"));
        QTest::keyClick(&grid, Qt::Key_Escape);

        const QModelIndex sum = grid.Model()->index(1, 1);
        grid.setCurrentIndex(sum);
        grid.edit(sum);
        QTest::keyClicks(QApplication::focusWidget(), "12x");
        const QString refusal = ErrorBoxText(fmt::InvalidFloatMessage(QStringLiteral("12x")));
        const auto refusedAndKept = [&] {
            auto *line = qobject_cast<QLineEdit *>(QApplication::focusWidget());
            return line && line->text() == QStringLiteral("12x") && grid.currentIndex() == sum &&
                   grid.Model()->rowCount() == 2;
        };
        for (const int key : {Qt::Key_Insert, Qt::Key_Tab, Qt::Key_Down}) {
            UiScript::ExpectError(refusal);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key(key));
            QVERIFY2(refusedAndKept(), qPrintable(QKeySequence(key).toString()));
        }
        UiScript::ExpectError(refusal);
        const QPoint otherRow = grid.visualRect(grid.Model()->index(0, 1)).center();
        QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, otherRow);
        QVERIFY(refusedAndKept());

        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QTest::keyClick(&grid, Qt::Key_Tab);
        QTest::keyClicks(&grid, "0");
        QTest::keyClicks(QApplication::focusWidget(), "1022027");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
        QCOMPARE(db::Database::ScalarValue("select DATE_PLAT from PlatPor where NUMBER = 2").toDate(),
                 QDate(2027, 2, 1));
    }

    // A new row stored because the user clicked a cell of another row: the clicked cell
    // is the current one, and what is typed next goes there, even when the stored row
    // moves to its place in the order; a re-read of the rows keeps the column.
    void clickAfterANewRowEditsTheClickedCell() {
        OrdersTable orders(2);
        orders.plat.SetIndexFieldNames("NUMBER");
        TDBGrid grid(nullptr, &orders.source);
        showNumbersAndNames(grid);
        QTest::keyClick(&grid, Qt::Key_Insert); // before order 1; stored, it goes last
        QTest::keyClicks(&grid, "7");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QTest::keyClicks(QApplication::focusWidget(), "Test");
        const QRect name = grid.visualRect(grid.Model()->index(1, 1)); // order 1's
        QTest::mouseClick(grid.viewport(), Qt::LeftButton, {}, name.center());
        QCOMPARE(orders.plat.State(), TDataSetState::dsBrowse);
        QCOMPARE(orders.plat.FieldByName("NUMBER")->AsInteger(), 1);
        QCOMPARE(grid.currentIndex().column(), 1);
        QCOMPARE(grid.selectionModel()->selectedIndexes(), QModelIndexList{grid.currentIndex()});
        QTest::keyClicks(&grid, "Q");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCoreApplication::processEvents();
        QCOMPARE(orders.plat.FieldByName("NUMBER")->AsInteger(), 1);
        QCOMPARE(orders.plat.FieldByName("R_NAME")->AsString(), QStringLiteral("Q"));
        orders.plat.Post();
        orders.plat.Refresh();
        QCOMPARE(grid.currentIndex().column(), 1);
    }

    // Entries typed by the keyboard one after another, as into the journal: Tab from the
    // last cell of the last entry starts a new one, as Down there does, so the date typed
    // next is the new entry's, and the oldest entry at the top keeps its own. Tab through
    // a new entry nobody has typed into stays on it. Neither Tab nor Shift+Tab ever goes
    // round to the other end.
    void tabFromTheLastCellStartsANewRow() {
        TempDataFolder folder;
        db::Database::Exec("insert into Provodka (DateProv, Debet, Kredit, Summa) values "
                           "('2027-01-05', '51', '60', 10), ('2027-01-20', '60', '51', 20)");
        TTable entries(nullptr, "Provodka.DB");
        entries.SetIndexFieldNames("DateProv");
        entries.Open();
        TDataSource source(nullptr, &entries);
        TDBGrid grid(nullptr, &source);
        grid.AddColumn("DateProv");
        grid.AddColumn("Debet")->SetEllipsis(true);
        grid.AddColumn("Kredit")->SetEllipsis(true);
        grid.AddColumn("Summa");
        grid.AddColumn("Primech");
        showActive(&grid);
        grid.setFocus();
        entries.Last();
        QTest::keyClick(&grid, Qt::Key_Down);
        // Dated between the two: stored, it goes to its place, and the new row comes last.
        for (const char *cell : {"10012027", "51", "62", "30", "Sale"}) {
            typeIntoCell(QString::fromLatin1(cell));
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        }
        QCOMPARE(entries.State(), TDataSetState::dsInsert);
        QCOMPARE(grid.Model()->rowCount(), 4);
        QCOMPARE(grid.currentIndex(), grid.Model()->index(3, 0));
        QCOMPARE(grid.Model()->index(1, 4).data().toString(), QStringLiteral("Sale"));

        for (int i = 0; i < 5; ++i)
            QTest::keyClick(&grid, Qt::Key_Tab);
        QCOMPARE(grid.Model()->rowCount(), 4);
        QCOMPARE(grid.currentIndex(), grid.Model()->index(3, 4));
        for (int i = 0; i < 4; ++i)
            QTest::keyClick(&grid, Qt::Key_Backtab);
        QCOMPARE(grid.currentIndex(), grid.Model()->index(3, 0));
        typeIntoCell("15022027");
        grid.EndCellEdit(true);
        entries.Post();
        QCOMPARE(db::Database::ScalarValue("select group_concat(DateProv, ' ') from "
                                           "(select DateProv from Provodka order by ProvodkaId)")
                     .toString(),
                 QStringLiteral("2027-01-05 2027-01-20 2027-01-10 2027-02-15"));

        // Shift+Tab from the first cell stays there, from an open editor too; Tab from the
        // last cell of a table that cannot be changed stays as well.
        const QModelIndex first = grid.Model()->index(0, 0), last = grid.Model()->index(3, 4);
        grid.setCurrentIndex(first);
        QTest::keyClick(&grid, Qt::Key_Backtab);
        QTest::keyClick(&grid, Qt::Key_F2);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
        QCOMPARE(grid.currentIndex(), first);
        QVERIFY(grid.hasFocus());
        entries.ReadOnly = true;
        grid.setCurrentIndex(last);
        QTest::keyClick(&grid, Qt::Key_Tab);
        QCOMPARE(grid.currentIndex(), last);
        QCOMPARE(grid.Model()->rowCount(), 4);
    }

    // A new row stored by Tab from its last cell moves to its place in the order and the
    // rows are read anew: the editor opens in the cell highlighted then, the first of the
    // row that followed, and the next key goes there; the view is never asked to edit a
    // cell that is gone. A row that refuses to be stored keeps the cell left.
    void tabThatStoresARowEditsTheHighlightedCell() {
        QTest::failOnWarning(QRegularExpression(QStringLiteral("^edit: ")));
        OrdersTable orders(3);
        orders.plat.SetIndexFieldNames("NUMBER");
        TDBGrid grid(nullptr, &orders.source);
        showNumbersAndNames(grid);
        QTest::keyClick(&grid, Qt::Key_Insert); // before order 1; stored, it goes last
        typeIntoCell("7");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        typeIntoCell("Test");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(orders.plat.FieldByName("NUMBER")->AsInteger(), 1);
        QCOMPARE(grid.currentIndex(), grid.Model()->index(0, 0));
        QVERIFY(grid.indexWidget(grid.currentIndex()));
        QCOMPARE(QApplication::focusWidget(), grid.indexWidget(grid.currentIndex()));
        typeIntoCell("4");
        grid.EndCellEdit(true);
        orders.plat.Post();
        QCOMPARE(db::Database::ScalarValue("select group_concat(cast(NUMBER as integer) || R_NAME, ' ') from "
                                           "(select NUMBER, R_NAME from PlatPor order by NUMBER)")
                     .toString(),
                 QStringLiteral("2Получатель 2 3Получатель 3 4Получатель 1 7Test"));

        // A row that refuses to be stored (its error shown) keeps the cell left, and no
        // editor opens.
        const QString refusal = QStringLiteral("Запись не сохранена");
        orders.plat.BeforePost = [refusal](TDataSet *) { throw EDatabaseError(refusal); };
        const QModelIndex name = grid.Model()->index(0, 1);
        grid.setCurrentIndex(name);
        typeIntoCell("Changed");
        UiScript::ExpectError(ErrorBoxText(refusal));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(grid.currentIndex(), name);
        QCOMPARE(orders.plat.State(), TDataSetState::dsEdit);
        QVERIFY(grid.hasFocus());
    }

    // A row that refuses to be stored keeps the cursor, whichever key or click was to
    // leave it: the cell left is the one highlighted, also while the error is shown, and
    // the key typed next goes into it.
    void refusedMoveKeepsTheHighlight_data() {
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<int>("column"); // of the cell left
        const int none = Qt::NoModifier, ctrl = Qt::ControlModifier;
        QTest::newRow("Up") << int(Qt::Key_Up) << none << 1;
        QTest::newRow("Down") << int(Qt::Key_Down) << none << 1;
        QTest::newRow("PgUp") << int(Qt::Key_PageUp) << none << 1;
        QTest::newRow("PgDn") << int(Qt::Key_PageDown) << none << 1;
        QTest::newRow("Ctrl+Home") << int(Qt::Key_Home) << ctrl << 1;
        QTest::newRow("Ctrl+End") << int(Qt::Key_End) << ctrl << 1;
        QTest::newRow("Tab") << int(Qt::Key_Tab) << none << 1;
        QTest::newRow("Shift+Tab") << int(Qt::Key_Backtab) << int(Qt::ShiftModifier) << 0;
        QTest::newRow("click above") << 0 << none << 1;
    }

    void refusedMoveKeepsTheHighlight() {
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(int, column);
        OrdersTable orders(40);
        const QString refusal = QStringLiteral("Не заполнено название получателя");
        orders.plat.BeforePost = [refusal](TDataSet *plat) {
            if (plat->FieldByName("R_NAME")->AsString().isEmpty()) throw EDatabaseError(refusal);
        };
        TDBGrid grid(nullptr, &orders.source);
        showNumbersAndNames(grid);
        grid.resize(300, 200);
        const QModelIndex left = grid.Model()->index(20, column);
        QVERIFY(grid.Model()->setData(left.siblingAtColumn(1), QString()));
        grid.setCurrentIndex(left);
        QModelIndexList highlightedWhileShown;
        UiScript::Answer(mrOk, ErrorBoxText(refusal), [&] {
            highlightedWhileShown = grid.selectionModel()->selectedIndexes() << grid.currentIndex();
        });
        if (key)
            QTest::keyClick(&grid, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        else
            QTest::mouseClick(grid.viewport(), Qt::LeftButton, {},
                              grid.visualRect(left.siblingAtRow(19)).center());
        QCOMPARE(orders.plat.RecNo(), 20);
        QCOMPARE(grid.currentIndex(), left);
        QCOMPARE(grid.selectionModel()->selectedIndexes(), QModelIndexList{left});
        QCOMPARE(highlightedWhileShown, (QModelIndexList{left, left}));
        typeIntoCell("7");
        grid.EndCellEdit(true);
        QCOMPARE(orders.plat.RecNo(), 20);
        QCOMPARE(left.data().toString(), QStringLiteral("7"));
    }

    void editableGridAddsRowsByKeys() {
        TempDataFolder folder;
        TTable plat(nullptr, "PlatPor.DB");
        plat.Open();
        TDataSource source(nullptr, &plat);
        TForm form;
        auto *grid = new TDBGrid(&form, &source);
        grid->AddColumn("NUMBER");
        grid->AddColumn("R_NAME");
        showActive(&form);
        grid->setFocus();

        QTest::keyClick(grid, Qt::Key_Down); // an empty list gets its first row
        QCOMPARE(plat.State(), TDataSetState::dsInsert);
        QCOMPARE(grid->Model()->rowCount(), 1);
        QTest::keyClick(grid, Qt::Key_Down); // an untouched new row is not followed by another
        QCOMPARE(grid->Model()->rowCount(), 1);
        QTest::keyClick(grid, Qt::Key_Escape); // and Esc drops it
        QCOMPARE(plat.State(), TDataSetState::dsBrowse);
        QVERIFY(plat.IsEmpty());
        QCOMPARE(grid->Model()->rowCount(), 0);

        QTest::keyClick(grid, Qt::Key_Down);
        QVERIFY(grid->Model()->setData(grid->Model()->index(0, 0), QStringLiteral("7")));
        QTest::keyClick(grid, Qt::Key_Down); // a typed row is written, a new one follows
        QCOMPARE(plat.State(), TDataSetState::dsInsert);
        QCOMPARE(grid->Model()->rowCount(), 2);
        QCOMPARE(db::Database::ScalarValue("select count(*) from PlatPor where NUMBER = 7").toInt(), 1);
        QTest::keyClick(grid, Qt::Key_Escape);
        QCOMPARE(plat.RecordCount(), 1);

        QTest::keyClick(grid, Qt::Key_Insert); // Insert puts the new row before the current
        QCOMPARE(plat.State(), TDataSetState::dsInsert);
        QCOMPARE(plat.RecNo(), 0);
        QTest::keyClick(grid, Qt::Key_Escape);
        QCOMPARE(plat.FieldByName("NUMBER")->AsInteger(), 7);

        grid->SetReadOnly(true); // a read-only grid adds nothing
        QTest::keyClick(grid, Qt::Key_Down);
        QTest::keyClick(grid, Qt::Key_Insert);
        QCOMPARE(plat.State(), TDataSetState::dsBrowse);
        QCOMPARE(plat.RecordCount(), 1);
    }

    void editableGridDeletesRowsAfterTheQuestion() {
        OrdersTable orders(3);
        TTable &plat = orders.plat;
        TForm form;
        auto *grid = new TDBGrid(&form, &orders.source);
        grid->AddColumn("NUMBER");
        showActive(&form);
        grid->setFocus();
        plat.SetRecNo(1);

        UiScript::Answer(mrNo, QStringLiteral("Удалить запись?"));
        QTest::keyClick(grid, Qt::Key_Delete, Qt::ControlModifier);
        QCOMPARE(plat.RecordCount(), 3);
        UiScript::Answer(mrYes, QStringLiteral("Удалить запись?"));
        QTest::keyClick(grid, Qt::Key_Delete, Qt::ControlModifier);
        QCOMPARE(
            db::Database::ScalarValue("select group_concat(cast(NUMBER as integer)) from PlatPor").toString(),
            QStringLiteral("1,3"));
        QCOMPARE(grid->Model()->rowCount(), 2);

        // From an open cell too, and No keeps what is being typed.
        QTest::keyClick(grid, Qt::Key_F2);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_End);
        QTest::keyClicks(QApplication::focusWidget(), "1");
        UiScript::Answer(mrNo, QStringLiteral("Удалить запись?"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Delete, Qt::ControlModifier);
        QCOMPARE(qobject_cast<QLineEdit *>(QApplication::focusWidget())->text(), QStringLiteral("31"));
        UiScript::Answer(mrYes, QStringLiteral("Удалить запись?"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Delete, Qt::ControlModifier);
        QCOMPARE(plat.RecordCount(), 1);
        QCOMPARE(plat.FieldByName("NUMBER")->AsInteger(), 1);

        QTest::keyClick(grid, Qt::Key_Insert); // a row not stored yet goes without a question
        QTest::keyClick(grid, Qt::Key_Delete, Qt::ControlModifier);
        QCOMPARE(plat.State(), TDataSetState::dsBrowse);
        QCOMPARE(plat.RecordCount(), 1);
        QTest::keyClick(grid, Qt::Key_Insert); // unless something was typed into it
        QVERIFY(grid->Model()->setData(grid->currentIndex(), QStringLiteral("5")));
        UiScript::Answer(mrYes, QStringLiteral("Удалить запись?"));
        QTest::keyClick(grid, Qt::Key_Delete, Qt::ControlModifier);
        QCOMPARE(plat.State(), TDataSetState::dsBrowse);
        QCOMPARE(plat.RecordCount(), 1);

        grid->SetReadOnly(true); // a read-only grid deletes nothing
        QTest::keyClick(grid, Qt::Key_Delete, Qt::ControlModifier);
        QCOMPARE(plat.RecordCount(), 1);
    }

    // The columns keep their widths (given, or as wide as the title) and hidden columns
    // stay hidden through a posted row and a re-read; a larger header font widens them.
    void columnWidthsHoldThroughPostsAndReads() {
        OrdersTable orders(3);
        TTable &plat = orders.plat;
        TDBGrid grid(nullptr, &orders.source);
        grid.AddColumn("NUMBER", QStringLiteral("№"), 60);
        grid.AddColumn("SUMMA", QStringLiteral("Сумма платежа по поручению"), 20);
        grid.AddColumn("R_NAME", QStringLiteral("Получатель"))->SetVisible(false);
        const auto widths = [&] {
            return QList<int>{grid.columnWidth(0), grid.columnWidth(1), grid.isColumnHidden(2)};
        };
        const QList<int> shown = widths();
        QVERIFY(shown[0] == 60 && shown[1] > 60 && shown[2]);
        plat.Append();
        plat.Post();
        QCOMPARE(widths(), shown);
        plat.Close();
        plat.Open();
        QCOMPARE(widths(), shown);
        QFont larger = grid.horizontalHeader()->font();
        larger.setPointSizeF(larger.pointSizeF() * 2);
        grid.horizontalHeader()->setFont(larger);
        plat.Refresh();
        QVERIFY(grid.columnWidth(1) > shown[1]);
    }

    void formKeysTitlesAndDoubleClicks() {
        OrdersTable orders(3);
        TTable &plat = orders.plat;
        TDataSource &source = orders.source;
        TForm form;
        auto *grid = new TDBGrid(&form, &source);
        grid->SetReadOnly(true);
        grid->AddColumn("NUMBER", QStringLiteral("№"), 60);
        grid->AddColumn("SUMMA", QStringLiteral("Сумма"), 80);
        form.resize(300, 200);
        grid->resize(300, 200);
        showActive(&form);
        QStringList keys;
        OnKeyDown(grid, [&](int &Key, Qt::KeyboardModifiers) {
            if (Key == Qt::Key_F4 || Key == Qt::Key_Down) {
                keys << QKeySequence(Key).toString();
                Key = 0;
            }
        });
        QTest::keyClick(grid, Qt::Key_Down); // the form's handler takes the key first
        QCOMPARE(plat.RecNo(), 0);
        QTest::keyClick(grid, Qt::Key_End,
                        Qt::ControlModifier); // other keys move as usual, and the cursor with them
        QCOMPARE(plat.RecNo(), 2);
        QTest::keyClick(grid, Qt::Key_F4);
        QCOMPARE(keys, (QStringList{"Down", "F4"}));

        QSignalSpy titles(grid, &TDBGrid::titleClick);
        QHeaderView *header = grid->horizontalHeader();
        QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                          QPoint(header->sectionViewportPosition(1) + 10, header->height() / 2));
        QCOMPARE(titles.count(), 1);
        QCOMPARE(titles[0][0].toInt(), 1);

        QSignalSpy doubles(grid, &TDBGrid::dblClick);
        const QRect cell = grid->visualRect(grid->Model()->index(1, 0));
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
        QCOMPARE(doubles.count(), 1);
        QCOMPARE(plat.RecNo(), 1);
    }
};

QTEST_MAIN(TestDBGrid)
#include "tst_dbgrid.moc"
