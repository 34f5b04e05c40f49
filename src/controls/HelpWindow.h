#pragma once
// The program's help: its own Russian pages, one per topic number and a contents page,
// shipped inside the program and shown in one help window. F1 in a form opens the
// topic of the form's help context; the menu's "Содержание" opens the contents.
#include <QUrl>
#include <QWidget>

class QTextBrowser;

class THelpWindow : public QWidget {
    Q_OBJECT
public:
    explicit THelpWindow(QWidget *parent = nullptr);
    // Shows a topic (0: the contents); a topic without a page says so in the window.
    void ShowTopic(int topic);
    QUrl Source() const;
    QTextBrowser *Browser = nullptr;

protected:
    void keyPressEvent(QKeyEvent *event) override; // Esc closes the window
};

namespace Help {
// The page of a topic: ":/help/topicN.html", or ":/help/contents.html" for 0.
QString TopicFile(int topic);
// Opens the help window at the topic (under UiScript the request is only recorded).
void ShowTopic(int topic);
void ShowContents();
// The one help window, created on first use.
THelpWindow *Window();
} // namespace Help
