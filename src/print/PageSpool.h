#pragma once
// Pages laid out so far, kept in a temporary file: the preview goes back to any page
// it has shown without holding the pages in memory or laying them out again, and
// prints exactly the pages it showed.
#include "print/Pages.h"

#include <QTemporaryFile>

#include <memory>
#include <vector>

namespace rep {

class TPageSpool {
  public:
    // Throws EOrbekError when the temporary file cannot be created.
    explicit TPageSpool(std::unique_ptr<TPageSource> source);
    ~TPageSpool();
    TPageSpool(const TPageSpool &) = delete;
    TPageSpool &operator=(const TPageSpool &) = delete;

    const TPrintSettings &Settings() const { return m_source->Settings(); }
    int Count() const { return int(m_offsets.size()); } // pages laid out so far
    bool Complete() const { return m_complete; }        // and no more will come

    // Lays out pages until page `index` (0-based) is there or the report ends; true
    // when it is there. An error of the layout (EOrbekError) passes on; the pages laid
    // out before it stay and no more will come.
    bool Reach(int index);
    // Lays out further pages for about `msecs` milliseconds.
    void LayOutFor(int msecs);

    // Page `index` (below Count()), read back; valid until the next call.
    const TPage &Page(int index);

    // The pages from the first, laying out the rest as they are read (printing, PDF).
    // The spool must outlive the reader.
    std::unique_ptr<TPageSource> Reader();

  private:
    void layOutOne();
    void write(const TPage &page);
    void read(int index, TPage &page);
    quint16 fontIndex(const TRepFont &font);

    std::unique_ptr<TPageSource> m_source;
    QTemporaryFile m_file;
    std::vector<qint64> m_offsets; // of each page's record in the file
    std::vector<TRepFont> m_fonts; // the pages name fonts by index into this
    bool m_complete = false;
    TPage m_page;         // the last page laid out or read back
    int m_pageIndex = -1; // which one m_page is
};

} // namespace rep
