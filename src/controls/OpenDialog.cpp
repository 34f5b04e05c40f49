#include "controls/OpenDialog.h"

#include "controls/UiScript.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

namespace {

// "Описание|*.db|Все|*.*" -> "Описание (*.db);;Все (*.*)"
QString qtFilter(const QString &filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2)
        out << QStringLiteral("%1 (%2)").arg(
            parts[i], QString(parts[i + 1]).replace(QLatin1Char(';'), QLatin1Char(' ')));
    return out.join(QStringLiteral(";;"));
}

} // namespace

bool TOpenDialog::Execute() {
    QString chosen;
    if (UiScript::Active()) {
        if (!UiScript::takeChosenFile(chosen)) return false;
    } else {
        QFileDialog dialog(QApplication::activeWindow(), Title,
                           InitialDir.isEmpty() ? QDir::currentPath() : InitialDir, qtFilter(Filter));
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        dialog.setFileMode(QFileDialog::ExistingFile);
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
        chosen = dialog.selectedFiles().constFirst();
    }
    if (chosen.isEmpty()) return false;
    FileName = QFileInfo(chosen).absoluteFilePath();
    return true;
}
