// The install-help page: one large picture of the installation steps (a Chinese or an other-
// language variant, chosen by the system locale at start-up), scrolled in its window.
#pragma once

#include "ui/ct_dialog.h"
#include "ui/resource_ids.h"

namespace cpe {

class CScrollBitmapWnd;

class CInstallHelpDlg : public CTDialog {
    Q_OBJECT
public:
    static constexpr int kDialogId = ids::kInstallHelpDlg;
    static constexpr int kHintLabelId = ids::install_help::kHint;
    static constexpr int kPictureId = ids::install_help::kPicture;

    explicit CInstallHelpDlg(QWidget* parent);

    CScrollBitmapWnd* Picture() const { return m_pPicture; }

protected:
    // The picture window fills the page but for a margin, so both scroll bars stay on screen.
    void resizeEvent(QResizeEvent* event) override;

private:
    CScrollBitmapWnd* m_pPicture = nullptr;
};

}  // namespace cpe
