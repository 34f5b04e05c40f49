#pragma once
// The preview window: the laid-out pages on screen, page by page, with zoom, and
// the only way to print: "Печать", "Настройка принтера", "Сохранить в PDF".
//
// The window lays the report out as it goes: the first pages before it shows, the
// rest a little at a time while the user looks (and at once when asked for the last
// page or for printing). Pages it has laid out wait in a temporary file, so going back
// is immediate and memory stays at the page shown.
#include "print/Pages.h"

#include <QPrinter>
#include <QTimer>
#include <QWidget>

#include <exception>
#include <limits>
#include <memory>

class QComboBox;
class QLabel;
class QScrollArea;

namespace rep {

class PageView;
class TPageSpool;

class TPreviewWindow : public QWidget {
    Q_OBJECT
  public:
    // Lays out the first pages at once: an error of the layout there throws
    // EOrbekError from the constructor; later ones (a page further on, printing,
    // saving) are told through the error reporter.
    explicit TPreviewWindow(std::unique_ptr<TPageSource> pages, QWidget *parent = nullptr);
    explicit TPreviewWindow(TPreparedReport report, QWidget *parent = nullptr);
    ~TPreviewWindow() override;

    static constexpr int LastPage = std::numeric_limits<int>::max();

    int PageIndex() const { return m_page; }
    int PageCount() const; // laid out so far
    bool AllPagesLaidOut() const;
    // Shows page `index` (0-based; LastPage: the last), laying out up to it.
    void ShowPage(int index);
    QPrinter &Printer() { return m_printer; }

  signals:
    void closed();

  protected:
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

  private:
    // Lays out up to page `index`; false, after telling the user, when the layout failed.
    bool reach(int index);
    void layOutInBackground();
    void updatePageLabel();
    void applyZoom();
    void printReport();
    void setUpPrinter();
    void saveAsPdf();

    std::unique_ptr<TPageSpool> m_pages;
    QTimer m_layoutTimer;
    QPrinter m_printer;
    int m_page = 0;
    TPage m_shown; // a copy: the spool reuses its page as it lays out further
    QScrollArea *m_scroll = nullptr;
    PageView *m_view = nullptr;
    QComboBox *m_zoom = nullptr;
    QLabel *m_pageLabel = nullptr;
    QList<QAction *> m_needPages;
};

// How the preview tells the user of an error it meets once shown. The print layer
// knows no error box of its own: the form kit sets the program's at start-up, and
// until one is set a plain message box shows the error with its detail.
using TErrorReporter = void (*)(std::exception_ptr error);
void SetErrorReporter(TErrorReporter reporter);

// Shows the pages in a preview window and returns when the user closes it. The
// window blocks the program's other windows meanwhile, so nothing the report read
// can change or go away under it. Throws EOrbekError when the first pages fail.
void ShowPreview(std::unique_ptr<TPageSource> pages);
void ShowPreview(const TPreparedReport &report);

} // namespace rep
