#include <cmath>

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFontDatabase>
#include <QFontInfo>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include "DialogBuilder.h"
#include "DialogTemplate.h"
#include "DialogUnits.h"
#include "HyperLink.h"

namespace {

DialogTemplate SmallTemplate()
{
    DialogTemplate dlg;
    dlg.nID = 900;
    dlg.strCaption = QStringLiteral("Sample");
    dlg.cx = 200;
    dlg.cy = 120;
    dlg.nStyle = DLG_SYSMENU | DLG_RESIZABLE;
    dlg.arrControls = {
        {1071, ControlKind::GroupBox, QStringLiteral("Current Progress"), 7, 4, 186, 48, 0},
        {1073, ControlKind::ProgressBar, {}, 14, 20, 170, 10, CTL_SMOOTH | CTL_BORDER},
        {1076, ControlKind::Label, QStringLiteral("Done:"), 24, 36, 20, 10, 0},
        {1080, ControlKind::Label, QStringLiteral("0.00%"), 48, 36, 30, 10, CTL_RIGHT},
        {1000, ControlKind::Edit, QStringLiteral("C:\\Music"), 7, 56, 120, 12, CTL_READONLY},
        {1001, ControlKind::CheckBox, QStringLiteral("Check"), 7, 70, 60, 10, 0},
        {1002, ControlKind::ComboBox, {}, 130, 56, 60, 60, 0},
        {1003, ControlKind::ListView, {}, 3, 84, 120, 20, CTL_BORDER},
        {1004, ControlKind::HyperLink, QStringLiteral("https://example.org/"), 130, 84, 60, 8, 0},
        {1, ControlKind::DefPushButton, QStringLiteral("OK"), 75, 104, 48, 13, 0},
        {2, ControlKind::PushButton, QStringLiteral("Cancel"), 140, 104, 48, 13, CTL_DISABLED},
    };
    return dlg;
}

int ExpectedPixels(int units, int base, int divisor)
{
    return static_cast<int>(std::lround(static_cast<double>(units) * base / divisor));
}

} // namespace

TEST(DialogTemplateTest, FontIsTahomaOrTheSansSerifFallbackAtEightPoints)
{
    const QFont font = DialogUnits::DialogFont(SmallTemplate());
    EXPECT_EQ(font.pointSize(), 8);
    if (QFontDatabase::hasFamily(QStringLiteral("Tahoma")))
        EXPECT_EQ(QFontInfo(font).family(), QStringLiteral("Tahoma"));
    else
        EXPECT_EQ(font.styleHint(), QFont::SansSerif);
}

TEST(DialogTemplateTest, DialogUnitsFollowTheFontMetrics)
{
    const QFont font = DialogUnits::DialogFont(SmallTemplate());
    const DialogUnits units(font);
    const QFontMetrics metrics(font);
    // An eight-point face is a few pixels wide and about a dozen high.
    EXPECT_GE(units.BaseUnitX(), 4);
    EXPECT_LE(units.BaseUnitX(), 10);
    EXPECT_EQ(units.BaseUnitY(), metrics.height());

    // Edges are converted, so controls that touch in units touch in pixels.
    const QRect left = units.MapDialogRect(7, 4, 33, 11);
    const QRect right = units.MapDialogRect(40, 15, 10, 10);
    EXPECT_EQ(left.x() + left.width(), right.x());
    EXPECT_EQ(left.y() + left.height(), right.y());
    EXPECT_EQ(left.x(), ExpectedPixels(7, units.BaseUnitX(), 4));
    EXPECT_EQ(left.y(), ExpectedPixels(4, units.BaseUnitY(), 8));
    EXPECT_EQ(units.ToPixelsX(-6), -ExpectedPixels(6, units.BaseUnitX(), 4));
}

TEST(DialogTemplateTest, BuildsEveryControlAtItsPlaceAndFindsItById)
{
    QDialog dialog;
    const DialogTemplate dlg = SmallTemplate();
    ApplyDialogTemplate(&dialog, dlg);
    const DialogUnits units(dialog.font());

    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Sample"));
    EXPECT_EQ(dialog.size(), QSize(units.ToPixelsX(200), units.ToPixelsY(120)));

    for (const DialogControl& control : dlg.arrControls) {
        SCOPED_TRACE(control.nID);
        QWidget* widget = GetDlgItem(&dialog, control.nID);
        ASSERT_NE(widget, nullptr);
        EXPECT_EQ(GetDlgCtrlID(widget), control.nID);
        if (control.kind != ControlKind::HyperLink) {
            EXPECT_EQ(widget->geometry(), units.MapDialogRect(control.x, control.y, control.cx, control.cy));
        }
    }
    EXPECT_EQ(GetDlgItem(&dialog, 4242), nullptr);

    EXPECT_EQ(qobject_cast<QGroupBox*>(GetDlgItem(&dialog, 1071))->title(), QStringLiteral("Current Progress"));
    EXPECT_NE(qobject_cast<QProgressBar*>(GetDlgItem(&dialog, 1073)), nullptr);
    auto* value = qobject_cast<QLabel*>(GetDlgItem(&dialog, 1080));
    ASSERT_NE(value, nullptr);
    EXPECT_TRUE(value->alignment() & Qt::AlignRight);
    auto* edit = qobject_cast<QLineEdit*>(GetDlgItem(&dialog, 1000));
    ASSERT_NE(edit, nullptr);
    EXPECT_TRUE(edit->isReadOnly());
    EXPECT_EQ(edit->text(), QStringLiteral("C:\\Music"));
    EXPECT_NE(qobject_cast<QCheckBox*>(GetDlgItem(&dialog, 1001)), nullptr);
    auto* combo = qobject_cast<QComboBox*>(GetDlgItem(&dialog, 1002));
    ASSERT_NE(combo, nullptr);
    EXPECT_FALSE(combo->isEditable());
    EXPECT_NE(dynamic_cast<CHyperLink*>(GetDlgItem(&dialog, 1004)), nullptr);
    auto* ok = qobject_cast<QPushButton*>(GetDlgItem(&dialog, 1));
    auto* cancel = qobject_cast<QPushButton*>(GetDlgItem(&dialog, 2));
    ASSERT_TRUE(ok && cancel);
    EXPECT_TRUE(ok->isDefault());
    EXPECT_FALSE(cancel->isDefault());
    EXPECT_FALSE(cancel->isEnabled());
}

TEST(DialogTemplateTest, FixedSizeWithoutSizingBorder)
{
    QDialog dialog;
    DialogTemplate dlg = SmallTemplate();
    dlg.nStyle = DLG_SYSMENU;
    ApplyDialogTemplate(&dialog, dlg);
    EXPECT_EQ(dialog.minimumSize(), dialog.maximumSize());
}

TEST(DialogTemplateTest, CustomControlsTakeTheirTemplatePlace)
{
    QDialog dialog;
    const DialogTemplate dlg = SmallTemplate();
    QTreeWidget* made = nullptr;
    ApplyDialogTemplate(&dialog, dlg, [&made](const DialogControl& control, QWidget* parent) -> QWidget* {
        if (control.nID != 1003)
            return nullptr;
        made = new QTreeWidget(parent);
        return made;
    });
    const DialogUnits units(dialog.font());
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(GetDlgItem(&dialog, 1003), made);
    EXPECT_EQ(made->geometry(), units.MapDialogRect(3, 84, 120, 20));

    // A placeholder replaced later gives its place, id and stacking away.
    QDialog other;
    ApplyDialogTemplate(&other, dlg);
    QWidget* placeholder = GetDlgItem(&other, 1003);
    const QRect place = placeholder->geometry();
    auto* list = new QTreeWidget;
    EXPECT_EQ(ReplaceDlgItem(&other, 1003, list), list);
    EXPECT_EQ(GetDlgItem(&other, 1003), list);
    EXPECT_EQ(list->parentWidget(), &other);
    EXPECT_EQ(list->geometry(), place);
    EXPECT_EQ(other.findChildren<QWidget*>(Qt::FindDirectChildrenOnly).size(),
              static_cast<qsizetype>(dlg.arrControls.size()));

    QTreeWidget unused;
    EXPECT_EQ(ReplaceDlgItem(&other, 4242, &unused), nullptr);
    EXPECT_EQ(unused.parentWidget(), nullptr);
}
