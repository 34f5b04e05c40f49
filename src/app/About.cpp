#include "app/About.h"

#include "controls/Animate.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>

TAboutBox *AboutBox = nullptr;

TAboutBox::TAboutBox(QWidget *parent) : TForm(parent) {
    setObjectName(QStringLiteral("AboutBox"));
    SetCaption(QStringLiteral("About"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);

    auto *panel = new QFrame(this);
    panel->setFrameShape(QFrame::Panel);
    panel->setFrameShadow(QFrame::Sunken);
    ProgramIcon = new QLabel(panel);
    ProgramIcon->setPixmap(style()->standardIcon(QStyle::SP_FileDialogDetailedView).pixmap(32, 32));
    ProgramIcon->setFixedSize(32, 32);
    auto *name = new QLabel(QStringLiteral("ОРБЕК:"), panel);
    ProductName = new QLabel(QStringLiteral("\"Вереск\""), panel);
    for (QLabel *l : {name, ProductName}) {
        QFont f = l->font();
        f.setBold(true);
        l->setFont(f);
    }
    Version = new QLabel(QStringLiteral("Version 2.2"), panel);
    Comments = new QLabel(QStringLiteral("Платежные поручения, счета, счета-фактуры, накладные, договора "
                                         "и бухгалтерский учет небольшой организации"),
                          panel);
    Comments->setAlignment(Qt::AlignCenter);
    Comments->setWordWrap(true);

    auto *titles = new QVBoxLayout;
    titles->addWidget(name);
    titles->addWidget(ProductName);
    titles->addWidget(Version);
    auto *top = new QHBoxLayout;
    top->addWidget(ProgramIcon, 0, Qt::AlignTop);
    top->addLayout(titles, 1);
    auto *panelLayout = new QVBoxLayout(panel);
    panelLayout->addLayout(top);
    panelLayout->addWidget(Comments);

    Animate1 = new TAnimate(this, TCommonAVI::aviFindComputer);
    Animate1->SetStopFrame(8);
    OKButton = new QPushButton(QStringLiteral("OK"), this);
    SetModalResult(OKButton, mrOk);
    SetDefaultButton(OKButton);
    OKButton->hide();

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(panel);
    layout->addWidget(Animate1, 0, Qt::AlignHCenter);
    layout->addWidget(OKButton, 0, Qt::AlignHCenter);
    setFixedWidth(300);
    adjustSize();
    if (QScreen *screen = QApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    Animate1->Play();
}

TAboutBox::~TAboutBox() {
    if (AboutBox == this) AboutBox = nullptr;
}

void TAboutBox::EndSplash() {
    OKButton->show();
    Animate1->Stop();
    Animate1->hide();
    adjustSize();
}

// The meta-object code of this module compiles with it, so using the module links
// nothing of modules still being written.
#include "moc_About.cpp"
