#pragma once
// The application object and its title. The title is the caption of the main window
// and of the error box; it is written here once.
#include <QApplication>
#include <QString>

inline QString AppTitle() {
    return QStringLiteral("ОРБЕК: \"Вереск\"");
}

// The application: sets its title, and routes an exception that escapes an event
// handler to the error box, so no error ends the program or passes unseen.
class TApplication : public QApplication {
    Q_OBJECT
public:
    TApplication(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;
};
