#pragma once

#include <functional>

class QDialog;
class QWidget;
struct DialogControl;
struct DialogTemplate;

// Makes the widget for one control, parented to the dialog, or returns null
// to let the builder make its standard widget for the control's kind. This
// is how a dialog puts its own controls (the report list) at a template
// position.
using ControlFactory = std::function<QWidget*(const DialogControl& control, QWidget* parent)>;

// Gives the dialog the template's caption, font, window buttons and client
// size, and creates every control as a child of the dialog at its position
// in pixels. Buttons are left unconnected: each dialog connects its own, as
// a Cancel that asks first must not also reject at once.
void ApplyDialogTemplate(QDialog* dialog, const DialogTemplate& dlgTemplate,
                         const ControlFactory& factory = {});

// The dialog's child with this control id; null when there is none.
QWidget* GetDlgItem(const QWidget* dialog, int nID);

// The control id of a widget built from a template; 0 for any other widget.
int GetDlgCtrlID(const QWidget* control);

// Puts the replacement (whose parent becomes the dialog) in the place of
// control nID: same id, geometry, stacking, visibility and enabled state;
// the placeholder is deleted. Returns the replacement, or null (and leaves
// the replacement untouched) when the dialog has no such control.
QWidget* ReplaceDlgItem(QWidget* dialog, int nID, QWidget* replacement);
