#pragma once

#include <functional>

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
struct DialogTemplate;

// The Options dialog: the output folder and the three encoder settings.
// It keeps no copy of the settings: the controls are filled from
// AppSettings when the dialog opens and after a Reset, and only OK copies
// them back.
class COption : public QDialog
{
public:
    enum : int {
        IDD = 172,
        IDC_DESDIR = 1012,
        IDC_BROWSE = 1047,
        IDC_LABEL_FREQ = 1084,
        IDC_LABEL_CHANNEL = 1085,
        IDC_LABEL_BITS = 1086,
        IDC_FREQ = 1088,
        IDC_CHANNEL = 1089,
        IDC_BITS = 1090,
        IDC_NOTE = 1091,
        IDC_RESET = 3,
    };

    // fnSettingsReset runs after a Reset has put every setting back to its
    // default, so that whatever shows the settings can show the new ones at
    // once; the reset stands even if the dialog is then cancelled.
    explicit COption(std::function<void()> fnSettingsReset = {}, QWidget* parent = nullptr);

    static const DialogTemplate& Template();

    // Puts the output folder into the edit and fills the lists.
    bool OnInitDialog();
    void FillOptionControls();
    void OnBrowseFolder();
    void OnReset();

    // OK: stores the controls into AppSettings; an empty folder keeps the
    // dialog open.
    void accept() override;

    QLineEdit* m_edtDesDir;
    QLabel* m_stcChannel;
    QLabel* m_stcBits;
    QComboBox* m_cmbFreq;
    QComboBox* m_cmbChannel;
    QComboBox* m_cmbBits;

private:
    std::function<void()> m_fnSettingsReset;
};
