#include "app/about_dlg.h"

#include "platform/system_info.h"
#include "ui/ct_picture.h"
#include "ui/dialog_template.h"

#include <QLabel>
#include <QPushButton>

namespace cpe {

CAboutDlg::CAboutDlg(QWidget* parent) : CTDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint) {
    // The box keeps the texts of its template: they are not translated.
    BuildDialog(this, kDialogId);
    m_bFill = true;
    m_crFill = Skin().childBkColor;
    const QString icon = QString::fromStdString(Skin().paths.applicationIcon);
    for (auto* picture : findChildren<CTPicture*>(Qt::FindDirectChildrenOnly))
        if (!icon.isEmpty() && picture->LoadFile(icon))
            picture->DrawPicture();
    if (auto* name = DlgItem<QLabel>(this, ids::about::kProgramName))
        name->setText(name->text() + ' ' + QString::fromStdString(platform::VersionText()));
    if (auto* ok = DlgItem<QPushButton>(this, 1)) {
        ok->setDefault(true);
        connect(ok, &QPushButton::clicked, this, &QDialog::accept);
        SetKeyButtons(ok, ok);
    }
}

}  // namespace cpe
