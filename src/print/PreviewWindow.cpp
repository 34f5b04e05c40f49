#include "print/PreviewWindow.h"

#include "db/Errors.h"
#include "print/PagePainter.h"
#include "print/PageSpool.h"
#include "print/WaitCursor.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QEventLoop>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QPrintDialog>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace rep {

namespace {

const char *const FitWidth = "По ширине";
const char *const FitPage = "Страница целиком";
constexpr double Gap = 12;        // pixels of grey around the sheet
constexpr int LookAhead = 2;      // pages laid out beyond the one shown
constexpr int LayoutSliceMs = 15; // of background layout between the user's events

// The pages of a prepared report, held by the window.
class HeldPages : public TPageSource {
  public:
    explicit HeldPages(TPreparedReport report) : TPageSource(report), m_report(std::move(report)) {}
    bool NextPage(TPage &page) override {
        if (m_next >= m_report.Pages.size()) return false;
        page = std::move(m_report.Pages[m_next++]); // each page goes to the spool once
        return true;
    }
    void Rewind() override {}

  private:
    TPreparedReport m_report;
    size_t m_next = 0;
};

TErrorReporter errorReporter = nullptr;

// An error met after the window showed, told the user through the program's error box
// when one is set; else in a plain box with the detail behind its toggle.
void reportError(QWidget *window, std::exception_ptr error) {
    if (errorReporter) {
        errorReporter(error);
        return;
    }
    try {
        std::rethrow_exception(error);
    } catch (const EOrbekError &e) {
        QMessageBox box(QMessageBox::Critical, QApplication::applicationName(), e.message(), QMessageBox::Ok,
                        window);
        box.setDetailedText(e.detail());
        box.exec();
    }
}

} // namespace

void SetErrorReporter(TErrorReporter reporter) {
    errorReporter = reporter;
}

// One page, drawn as a white sheet at a zoom.
class PageView : public QWidget {
  public:
    explicit PageView(QWidget *parent) : QWidget(parent) {}

    void SetPage(const TPage *page, double dotsPerMm) {
        m_page = page;
        m_dotsPerMm = dotsPerMm;
        const QSizeF size = page ? page->Size * dotsPerMm : QSizeF(0, 0);
        setFixedSize(qCeil(size.width() + 2 * Gap), qCeil(size.height() + 2 * Gap));
        update();
    }

  protected:
    void paintEvent(QPaintEvent *) override {
        QPainter painter(this);
        painter.fillRect(rect(), palette().color(QPalette::Dark));
        if (!m_page) return;
        const QRectF sheet(Gap, Gap, m_page->Size.width() * m_dotsPerMm, m_page->Size.height() * m_dotsPerMm);
        painter.fillRect(sheet, Qt::white);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::TextAntialiasing);
        painter.translate(sheet.topLeft());
        PaintPage(painter, *m_page, m_dotsPerMm);
    }

  private:
    const TPage *m_page = nullptr;
    double m_dotsPerMm = 1;
};

TPreviewWindow::TPreviewWindow(TPreparedReport report, QWidget *parent)
    : TPreviewWindow(std::make_unique<HeldPages>(std::move(report)), parent) {}

TPreviewWindow::TPreviewWindow(std::unique_ptr<TPageSource> pages, QWidget *parent)
    : QWidget(parent, Qt::Window), m_pages(std::make_unique<TPageSpool>(std::move(pages))),
      m_printer(QPrinter::HighResolution) {
    m_pages->Reach(LookAhead);
    setWindowTitle(QStringLiteral("Предварительный просмотр"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    SetUpPrinter(m_printer, m_pages->Settings());

    auto *bar = new QToolBar(this);
    bar->setToolButtonStyle(Qt::ToolButtonTextOnly);
    auto *print = bar->addAction(QStringLiteral("Печать"), this, [this] { printReport(); });
    bar->addAction(QStringLiteral("Настройка принтера"), this, [this] { setUpPrinter(); });
    auto *pdf = bar->addAction(QStringLiteral("Сохранить в PDF"), this, [this] { saveAsPdf(); });
    bar->addSeparator();
    // Page buttons show arrows; their names stay in the tooltips.
    auto pageAction = [this, bar](QStyle::StandardPixmap icon, const QString &name, const QString &key,
                                  std::function<int()> target) {
        QAction *action =
            bar->addAction(style()->standardIcon(icon), name, this, [this, target] { ShowPage(target()); });
        action->setToolTip(QStringLiteral("%1 (%2)").arg(name, key));
        if (auto *button = qobject_cast<QToolButton *>(bar->widgetForAction(action)))
            button->setToolButtonStyle(Qt::ToolButtonIconOnly);
        return action;
    };
    auto *firstPage = pageAction(QStyle::SP_MediaSkipBackward, QStringLiteral("Первая страница"),
                                 QStringLiteral("Home"), [] { return 0; });
    auto *prevPage = pageAction(QStyle::SP_MediaSeekBackward, QStringLiteral("Предыдущая страница"),
                                QStringLiteral("PgUp"), [this] { return m_page - 1; });
    m_pageLabel = new QLabel(bar);
    m_pageLabel->setMargin(6);
    bar->addWidget(m_pageLabel);
    auto *nextPage = pageAction(QStyle::SP_MediaSeekForward, QStringLiteral("Следующая страница"),
                                QStringLiteral("PgDn"), [this] { return m_page + 1; });
    auto *lastPage = pageAction(QStyle::SP_MediaSkipForward, QStringLiteral("Последняя страница"),
                                QStringLiteral("End"), [] { return LastPage; });
    bar->addSeparator();
    auto *zoomLabel = new QLabel(QStringLiteral("Масштаб:"), bar);
    zoomLabel->setMargin(6);
    bar->addWidget(zoomLabel);
    m_zoom = new QComboBox(bar);
    m_zoom->addItems({QString::fromUtf8(FitWidth), QString::fromUtf8(FitPage), QStringLiteral("50%"),
                      QStringLiteral("75%"), QStringLiteral("100%"), QStringLiteral("150%"),
                      QStringLiteral("200%")});
    bar->addWidget(m_zoom);
    connect(m_zoom, &QComboBox::currentIndexChanged, this, [this] { applyZoom(); });
    bar->addSeparator();
    bar->addAction(QStringLiteral("Закрыть"), this, &QWidget::close);
    m_needPages = {firstPage, prevPage, nextPage, lastPage, print, pdf};

    m_scroll = new QScrollArea(this);
    m_scroll->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    m_scroll->setBackgroundRole(QPalette::Dark);
    m_view = new PageView(m_scroll);
    m_scroll->setWidget(m_view);
    // The fitting zooms follow the visible area, which settles only after showing.
    m_scroll->viewport()->installEventFilter(this);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(bar);
    layout->addWidget(m_scroll);

    if (const QScreen *screen = QApplication::primaryScreen()) {
        const QRect free = screen->availableGeometry();
        resize(free.width() * 3 / 4, free.height() * 9 / 10);
    }
    ShowPage(0);
    connect(&m_layoutTimer, &QTimer::timeout, this, [this] { layOutInBackground(); });
    if (!m_pages->Complete()) m_layoutTimer.start(0);
}

TPreviewWindow::~TPreviewWindow() = default;

int TPreviewWindow::PageCount() const {
    return m_pages->Count();
}

bool TPreviewWindow::AllPagesLaidOut() const {
    return m_pages->Complete();
}

bool TPreviewWindow::reach(int index) {
    if (m_pages->Complete() || index < m_pages->Count()) return true;
    try {
        const WaitCursor wait;
        m_pages->Reach(index);
        return true;
    } catch (const EOrbekError &) {
        m_layoutTimer.stop();
        updatePageLabel();
        reportError(this, std::current_exception());
        return false;
    }
}

void TPreviewWindow::layOutInBackground() {
    try {
        m_pages->LayOutFor(LayoutSliceMs);
    } catch (const EOrbekError &) {
        m_layoutTimer.stop();
        updatePageLabel();
        reportError(this, std::current_exception());
        return;
    }
    if (m_pages->Complete()) m_layoutTimer.stop();
    updatePageLabel();
}

void TPreviewWindow::ShowPage(int index) {
    reach(index >= LastPage - LookAhead ? LastPage : qMax(0, index) + LookAhead);
    const int count = PageCount();
    m_page = qBound(0, index, qMax(0, count - 1));
    if (count > 0) m_shown = m_pages->Page(m_page);
    updatePageLabel();
    applyZoom();
    m_scroll->verticalScrollBar()->setValue(0);
}

// "из N" once the last page is laid out; "из N…" while more may follow.
void TPreviewWindow::updatePageLabel() {
    const int count = PageCount();
    for (QAction *action : std::as_const(m_needPages))
        action->setEnabled(count > 0);
    if (count == 0) {
        m_pageLabel->setText(QStringLiteral("Отчет не содержит страниц"));
        return;
    }
    m_pageLabel->setText(QStringLiteral("Страница %1 из %2%3")
                             .arg(m_page + 1)
                             .arg(count)
                             .arg(m_pages->Complete() ? QString() : QStringLiteral("…")));
}

void TPreviewWindow::applyZoom() {
    const TPage *page = PageCount() > 0 ? &m_shown : nullptr;
    const double screenDotsPerMm = logicalDpiX() / 25.4;
    double dotsPerMm = screenDotsPerMm;
    const QString choice = m_zoom->currentText();
    if (page && choice == QString::fromUtf8(FitWidth)) {
        const double width = m_scroll->viewport()->width() - 2 * Gap;
        dotsPerMm = width / page->Size.width();
    } else if (page && choice == QString::fromUtf8(FitPage)) {
        const QSize area = m_scroll->viewport()->size() - QSize(int(2 * Gap), int(2 * Gap));
        dotsPerMm = qMin(area.width() / page->Size.width(), area.height() / page->Size.height());
    } else {
        QString percent = choice;
        percent.chop(1);
        dotsPerMm = screenDotsPerMm * percent.toDouble() / 100.0;
    }
    m_view->SetPage(page, qMax(dotsPerMm, 0.5));
}

void TPreviewWindow::printReport() {
    try {
        const WaitCursor wait;
        const auto pages = m_pages->Reader();
        PrintPages(*pages, m_printer);
    } catch (const EOrbekError &) {
        reportError(this, std::current_exception());
    }
}

// Printer, copies and tray are chosen here and kept for "Печать"; the dialog's own
// button therefore confirms the choice rather than printing.
void TPreviewWindow::setUpPrinter() {
    QPrintDialog dialog(&m_printer, this);
    dialog.setWindowTitle(QStringLiteral("Настройка принтера"));
    if (auto *buttons = dialog.findChild<QDialogButtonBox *>())
        if (QPushButton *ok = buttons->button(QDialogButtonBox::Ok)) ok->setText(QStringLiteral("OK"));
    dialog.exec();
}

void TPreviewWindow::saveAsPdf() {
    QString fileName =
        QFileDialog::getSaveFileName(this, QStringLiteral("Сохранить в PDF"), QStringLiteral("Отчет.pdf"),
                                     QStringLiteral("Документы PDF (*.pdf)"));
    if (fileName.isEmpty()) return;
    if (!fileName.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive)) fileName += QLatin1String(".pdf");
    try {
        const WaitCursor wait;
        const auto pages = m_pages->Reader();
        WritePdf(*pages, fileName);
    } catch (const EOrbekError &) {
        reportError(this, std::current_exception());
    }
}

void TPreviewWindow::closeEvent(QCloseEvent *event) {
    QWidget::closeEvent(event);
    if (event->isAccepted()) emit closed();
}

void TPreviewWindow::keyPressEvent(QKeyEvent *event) {
    switch (event->key()) {
    case Qt::Key_PageDown:
        ShowPage(m_page + 1);
        break;
    case Qt::Key_PageUp:
        ShowPage(m_page - 1);
        break;
    case Qt::Key_Home:
        ShowPage(0);
        break;
    case Qt::Key_End:
        ShowPage(LastPage);
        break;
    case Qt::Key_Escape:
        close();
        break;
    default:
        QWidget::keyPressEvent(event);
    }
}

bool TPreviewWindow::eventFilter(QObject *watched, QEvent *event) {
    if (watched == m_scroll->viewport() && event->type() == QEvent::Resize && m_zoom->currentIndex() < 2)
        applyZoom();
    return QWidget::eventFilter(watched, event);
}

void ShowPreview(const TPreparedReport &report) {
    ShowPreview(std::make_unique<HeldPages>(report));
}

void ShowPreview(std::unique_ptr<TPageSource> pages) {
    QWidget *owner = QApplication::activeModalWidget();
    if (!owner) owner = QApplication::activeWindow();
    TPreviewWindow window(std::move(pages), owner);
    window.setWindowModality(Qt::ApplicationModal);
    QEventLoop loop;
    QObject::connect(&window, &TPreviewWindow::closed, &loop, &QEventLoop::quit);
    window.show();
    loop.exec(QEventLoop::DialogExec);
}

} // namespace rep
