#pragma once
// The preview window: the laid-out pages on screen, page by page, with zoom, and
// the only way to print: "Печать", "Настройка принтера", "Сохранить в PDF".
#include "print/Pages.h"

#include <QPrinter>
#include <QWidget>

#include <memory>

class QComboBox;
class QLabel;
class QScrollArea;

namespace rep {

class PageView;

class TPreviewWindow : public QWidget {
    Q_OBJECT
  public:
    explicit TPreviewWindow(TPreparedReport report, QWidget *parent = nullptr);
    ~TPreviewWindow() override;

    int PageIndex() const { return m_page; }
    int PageCount() const { return int(m_report.Pages.size()); }
    void ShowPage(int index);
    QPrinter &Printer() { return m_printer; }

  signals:
    void closed();

  protected:
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

  private:
    void applyZoom();
    void printReport();
    void setUpPrinter();
    void saveAsPdf();

    TPreparedReport m_report;
    QPrinter m_printer;
    int m_page = 0;
    QScrollArea *m_scroll = nullptr;
    PageView *m_view = nullptr;
    QComboBox *m_zoom = nullptr;
    QLabel *m_pageLabel = nullptr;
    QList<QAction *> m_needPages;
};

// Shows the pages in a preview window and returns when the user closes it. The
// window blocks the program's other windows meanwhile, so nothing the report read
// can change or go away under it.
void ShowPreview(const TPreparedReport &report);

} // namespace rep
