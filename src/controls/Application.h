#pragma once
// The application object and its title. The title is the caption of the main window
// and of the error box; it is written here once.
#include <QApplication>
#include <QString>

inline QString AppTitle() {
    return QStringLiteral("ОРБЕК: \"Вереск\"");
}

// The toolkit's own texts (calendar, file dialog, standard buttons) in Russian: the
// Russian locale and the toolkit's Russian translations. Run by every application
// object as it is created, the program's and the tests' alike.
void UseRussianInterface();

// The application: routes an exception that escapes an event
// handler to the error box, so no error ends the program or passes unseen.
class TApplication : public QApplication {
    Q_OBJECT
public:
    TApplication(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;
};
