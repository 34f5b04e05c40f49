#include "app/RegisterSetup.h"

#include "app/StrUtils.h"
#include "controls/DBGrid.h"
#include "db/Query.h"

#include <QLabel>

namespace {

// Runs `restore` when it goes out of scope, also while an exception passes.
template <class F> class Restorer {
  public:
    explicit Restorer(F f) : m_f(std::move(f)) {}
    ~Restorer() { m_f(); }
    Restorer(const Restorer &) = delete;
    Restorer &operator=(const Restorer &) = delete;

  private:
    F m_f;
};

const QString kStoredDate = QStringLiteral("DATE_FAKT");

} // namespace

const DocumentRegisterMode &ReceivedInvoicesMode() {
    static const DocumentRegisterMode mode{QStringLiteral("b"),          2,
                                           QStringLiteral("Numb_fakt"),  QStringLiteral("Date_fakt"),
                                           QStringLiteral("Поставщик"),  QStringLiteral("Поставщик"),
                                           QStringLiteral("Покупатель"), QString()};
    return mode;
}

const DocumentRegisterMode &BillsMode() {
    static const DocumentRegisterMode mode{QStringLiteral("s"),          1,
                                           QStringLiteral("Numb_Schet"), QStringLiteral("Date_Schet"),
                                           QStringLiteral("Покупатель"), QStringLiteral("Покупатель"),
                                           QStringLiteral("Поставщик"),  QStringLiteral("DATE_SCHET")};
    return mode;
}

const DocumentRegisterMode &InvoicesMode() {
    static const DocumentRegisterMode mode{QStringLiteral("s"),          2,
                                           QStringLiteral("NumbF"),      QStringLiteral("Date_fakt"),
                                           QStringLiteral("Покупатель"), QStringLiteral("Покупатель"),
                                           QStringLiteral("Поставщик"),  QString()};
    return mode;
}

const DocumentRegisterMode &WaybillsMode() {
    static const DocumentRegisterMode mode{QStringLiteral("s"),          3,
                                           QStringLiteral("Numb_TTN"),   QStringLiteral("Date_TTN"),
                                           QStringLiteral("Покупатель"), QStringLiteral("Покупатель"),
                                           QStringLiteral("Поставщик"),  QStringLiteral("DATE_TTN")};
    return mode;
}

void SetUpDocumentColumns(TDBGrid *grid, QLabel *label3, QLabel *label4, const DocumentRegisterMode &mode) {
    grid->Columns(0)->SetFieldName(mode.NumberField);
    grid->Columns(1)->SetFieldName(mode.DateField);
    grid->Columns(2)->SetTitle(mode.PartnerTitle);
    label3->setText(mode.Label3);
    label4->setText(mode.Label4);
}

int ShowWithDateColumn(TQuery *query, const QString &dateColumn, const std::function<int()> &show) {
    if (dateColumn.isEmpty()) return show();
    // The stored text comes back exactly as it was, rather than by replacing the date
    // back, which would also turn a DATE_SCHET the text held of its own into DATE_FAKT.
    const QStringList stored = query->SQL();
    QStringList lines;
    for (const QString &line : stored)
        lines << ReplaceAll(line, kStoredDate, dateColumn);
    query->SetSQL(lines);
    Restorer restore([&] { query->SetSQL(stored); });
    return show();
}

int ShowOnOneDate(QWidget *endDate, QLabel *endLabel, QLabel *startLabel, const std::function<int()> &show) {
    endDate->hide();
    endLabel->hide();
    startLabel->setText(QStringLiteral("на"));
    Restorer restore([&] {
        endDate->show();
        endLabel->show();
        startLabel->setText(QStringLiteral("c"));
    });
    return show();
}
