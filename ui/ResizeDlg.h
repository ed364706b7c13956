#pragma once

#include <vector>

#include <QDialog>
#include <QRect>
#include <QString>

#include "AnchorInfo.h"
#include "DialogBuilder.h"
#include "PlacementStore.h"
#include "WindowMessage.h"

class CSizeGripExt;
struct DialogTemplate;

// Base of the resizable dialogs. Built from a dialog template; a derived
// dialog registers its controls with per-edge resize modes in
// OnInitDialog, and every size change moves them together. Owns a size
// grip in the lower-right corner, stores its placement when it closes (with
// m_strPlacementId set), and receives window messages from worker threads.
class CResizeDlg : public QDialog, public MessageReceiver
{
public:
    explicit CResizeDlg(const DialogTemplate& dlgTemplate, QWidget* parent = nullptr,
                        const ControlFactory& factory = {});

    // Registers control nID, or replaces its registration. The control's
    // current rectangle is remembered. Returns false (and registers
    // nothing) when the dialog has no such control.
    bool AddAnchor(int nID, unsigned nModeLeft, unsigned nModeRight, unsigned nModeTop,
                   unsigned nModeBottom, unsigned nOptions = 0, double dPosX = -1.0,
                   double dSizeX = -1.0, double dPosY = -1.0, double dSizeY = -1.0);

    // Hides the grip until the next size change of a dialog that is not
    // maximised.
    void HideSizeGrip();

    QWidget* GetDlgItem(int nID) const;

    const std::vector<AnchorInfo>& Anchors() const { return m_arrAnchors; }
    CSizeGripExt* SizeGrip() const { return m_grip; }

    // Ends the dialog: from here on messages posted to it are dropped and
    // senders return at once; then OnDestroy.
    void done(int nResult) override;

    // Messages no derived dialog handles are ignored.
    LRESULT OnWindowMessage(UINT message, WPARAM wParam, LPARAM lParam,
                            std::unique_ptr<MessagePayload>& payload) override;

    PlacementStore m_placement;
    // Entry under "Position" where the placement is saved when the dialog
    // ends; empty: not saved.
    QString m_strPlacementId;

protected:
    // Runs once, when the dialog is first shown. Derived dialogs call the
    // base first, then register anchors and load their placement.
    virtual bool OnInitDialog();

    // Runs as the dialog ends, before it is hidden: saves the placement.
    virtual void OnDestroy();

    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    QRect ClientOnScreen() const;
    ResizeKind CurrentResizeKind() const;
    int SizingEdgeTo(const QRect& rcClient) const;
    void OnSize(ResizeKind kind);
    void MoveAnchors(unsigned nEdgeMask, const QRect& rcClient);

    std::vector<AnchorInfo> m_arrAnchors;
    QRect m_rcPrevClient;
    QRect m_rcInitClient;
    int m_nSizingEdge = WMSZ_NONE;
    CSizeGripExt* m_grip = nullptr;
    Qt::WindowStates m_nLastState = Qt::WindowNoState;
    bool m_bInitCalled = false;
    bool m_bInitialised = false;
};
