#include "payorders/PaySettings.h"

#include "app/UConfig.h"
#include "db/Formats.h"

#include <QtGlobal>

namespace {

double number(const char *name) {
    double v = 0;
    fmt::TryStrToFloat(SettingText(QString::fromLatin1(name)), v);
    return v;
}

int whole(double v) {
    return qRound(qBound(-1000.0, v, 1000.0));
}

} // namespace

PaySettings ReadPaySettings() {
    PaySettings s;
    s.KolCopy = whole(number("KolCopy"));
    s.SizeFont = whole(number("SizeFont"));
    s.ProcNDS = number("ProcNDS");
    s.FormatDat = SettingText(QStringLiteral("FormatDat"));
    return s;
}
