#pragma once

#include <QDialog>

class CHyperLink;
struct DialogTemplate;

// The product's home page, opened by the About box's link; the link shows
// it as people write it, which fits the box.
inline constexpr const char* kHomePageAddress = "https://marlune.quorvane.com/";
inline constexpr const char* kHomePageText = "marlune.quorvane.com";

// The About box: the product's name and icon and a link to its home page.
// Its title bar offers no close button; OK (or Escape) ends it.
class CAboutDlg : public QDialog
{
public:
    enum : int {
        IDD = 100,
        IDC_HOMEPAGE = 1141,
    };

    explicit CAboutDlg(QWidget* parent = nullptr);

    static const DialogTemplate& Template();

    bool OnInitDialog();

    CHyperLink* m_lnkHomePage;

protected:
    // The window system's close request is refused, as the close button is
    // greyed; Escape still ends the box.
    void closeEvent(QCloseEvent* event) override;
};
