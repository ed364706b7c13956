#include <QGuiApplication>
#include <QScreen>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include "PlacementStore.h"
#include "ProfileStore.h"

namespace {

const QString kSection = QStringLiteral("Position");

WindowPlacement Stored(std::uint32_t showCmd, std::uint32_t flags, QRect normal)
{
    WindowPlacement placement;
    placement.showCmd = showCmd;
    placement.flags = flags;
    placement.rcNormalPosition = WinRect::FromQRect(normal);
    return placement;
}

class PlacementStoreTest : public testing::Test
{
protected:
    void SetUp() override
    {
        window.resize(400, 300);
        ProfileStore::WriteProfileInt(kSection, QString(), 0);
    }

    // Each test uses entries of its own, so a store never sees another's.
    QString Entry(const char* suffix) const
    {
        return QString::fromLatin1(testing::UnitTest::GetInstance()->current_test_info()->name())
               + QLatin1Char('-') + QLatin1String(suffix);
    }

    QWidget window;
    PlacementStore store;
};

} // namespace

TEST_F(PlacementStoreTest, RecordIsFortyFourLittleEndianBytes)
{
    WindowPlacement placement = Stored(SW_SHOWMAXIMIZED, WPF_RESTORETOMAXIMIZED, QRect(-5, 20, 300, 200));
    const QByteArray bytes = placement.ToBytes();
    ASSERT_EQ(bytes.size(), 44);
    EXPECT_EQ(bytes.left(12), QByteArray::fromHex("2c000000" "02000000" "03000000"));
    EXPECT_EQ(bytes.mid(12, 16), QByteArray::fromHex("ffffffff" "ffffffff" "ffffffff" "ffffffff"));
    EXPECT_EQ(bytes.mid(28), QByteArray::fromHex("fbffffff" "14000000" "27010000" "dc000000"));
    EXPECT_EQ(WindowPlacement::FromBytes(bytes), placement);
    EXPECT_EQ(WindowPlacement::FromBytes(bytes + QByteArray(20, '\x7f')), placement);
    EXPECT_FALSE(WindowPlacement::FromBytes(bytes.left(43)));
}

TEST_F(PlacementStoreTest, FirstRunCapturesTheCentredDefault)
{
    EXPECT_FALSE(store.LoadPlacement(&window, Entry("absent"), kSection));
    EXPECT_FALSE(store.bFirstLoad);
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    const QRect centred(screen.x() + (screen.width() - 400) / 2, screen.y() + (screen.height() - 300) / 2,
                        400, 300);
    EXPECT_EQ(store.wpDefault.rcNormalPosition, WinRect::FromQRect(centred));
    EXPECT_EQ(store.wpCurrent, store.wpDefault);
    EXPECT_EQ(window.size(), QSize(400, 300));

    window.resize(200, 100);
    store.ApplyDefaultPlacement(&window);
    EXPECT_EQ(window.geometry(), centred);
}

TEST_F(PlacementStoreTest, RoundTripThroughTheProfile)
{
    window.setGeometry(50, 60, 420, 310);
    ASSERT_TRUE(store.SavePlacement(&window, Entry("saved"), kSection));
    const QByteArray bytes = ProfileStore::GetProfileBinary(kSection, Entry("saved"));
    ASSERT_EQ(bytes.size(), 44);
    EXPECT_EQ(WindowPlacement::FromBytes(bytes)->rcNormalPosition, (WinRect{50, 60, 470, 370}));

    QWidget reopened;
    reopened.resize(100, 100);
    PlacementStore second;
    EXPECT_TRUE(second.LoadPlacement(&reopened, Entry("saved"), kSection));
    EXPECT_EQ(reopened.geometry(), QRect(50, 60, 420, 310));
    EXPECT_EQ(second.wpCurrent.rcNormalPosition, (WinRect{50, 60, 470, 370}));
    EXPECT_EQ(second.wpDefault.rcNormalPosition.Width(), 100);
}

TEST_F(PlacementStoreTest, ShortRecordCountsAsAbsent)
{
    const QByteArray full = Stored(SW_SHOWNORMAL, 0, QRect(10, 10, 200, 100)).ToBytes();
    ProfileStore::WriteProfileBinary(kSection, Entry("short"), full.left(43));
    EXPECT_FALSE(store.LoadPlacement(&window, Entry("short"), kSection));
    EXPECT_EQ(window.size(), QSize(400, 300));
    EXPECT_EQ(store.wpCurrent, store.wpDefault);
}

TEST_F(PlacementStoreTest, GarbageIsReadSafelyAndLandsOnScreen)
{
    WindowPlacement garbage = Stored(0xDEADBEEF, 0xFFFFFFFF, QRect());
    garbage.rcNormalPosition = {2000000000, -2000000000, -2000000000, 2000000000};
    ProfileStore::WriteProfileBinary(kSection, Entry("garbage"), garbage.ToBytes() + QByteArray(100, 'x'));
    EXPECT_TRUE(store.LoadPlacement(&window, Entry("garbage"), kSection));
    EXPECT_EQ(window.size(), QSize(400, 300));
    EXPECT_TRUE(QGuiApplication::primaryScreen()->availableGeometry().intersects(window.geometry()));
    EXPECT_FALSE(window.windowState() & Qt::WindowMinimized);

    PlacementStore offScreen;
    QWidget other;
    ProfileStore::WriteProfileBinary(kSection, Entry("far"),
                                     Stored(SW_SHOWNORMAL, 0, QRect(90000, 90000, 300, 200)).ToBytes());
    EXPECT_TRUE(offScreen.LoadPlacement(&other, Entry("far"), kSection));
    EXPECT_EQ(other.size(), QSize(300, 200));
    EXPECT_TRUE(QGuiApplication::primaryScreen()->availableGeometry().intersects(other.geometry()));
}

namespace {

struct ShowCase
{
    const char* name;
    int nShowOverride;
    std::uint32_t storedShow;
    std::uint32_t storedFlags;
    std::uint32_t expectedShow;
    Qt::WindowStates expectedState;
};

void PrintTo(const ShowCase& c, std::ostream* os)
{
    *os << c.name;
}

class ShowOverrideTest : public testing::TestWithParam<ShowCase>
{
};

} // namespace

TEST_P(ShowOverrideTest, SharedRuleDecidesTheShowState)
{
    const ShowCase& c = GetParam();
    const QString entry = QStringLiteral("show-") + QLatin1String(c.name);
    ProfileStore::WriteProfileInt(kSection, QString(), c.nShowOverride);
    ProfileStore::WriteProfileBinary(kSection, entry,
                                     Stored(c.storedShow, c.storedFlags, QRect(30, 40, 320, 240)).ToBytes());
    QWidget window;
    PlacementStore store;
    ASSERT_TRUE(store.LoadPlacement(&window, entry, kSection));
    EXPECT_EQ(store.nShowOverride, c.nShowOverride);
    EXPECT_EQ(store.wpCurrent.showCmd, c.expectedShow);
    EXPECT_EQ(window.windowState(), c.expectedState);
    EXPECT_EQ(window.normalGeometry(), QRect(30, 40, 320, 240));

    // Every save writes the shared rule back unchanged.
    ASSERT_TRUE(store.SavePlacement(&window, entry, kSection));
    EXPECT_EQ(ProfileStore::GetProfileInt(kSection, QString(), -1), c.nShowOverride);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ShowOverrideTest,
    testing::Values(
        ShowCase{"MaximisedStaysMaximised", 0, SW_SHOWMAXIMIZED, 0, SW_SHOWMAXIMIZED, Qt::WindowMaximized},
        ShowCase{"NormalRuleOpensMaximisedNormal", 2, SW_SHOWMAXIMIZED, 0, SW_SHOWNORMAL, Qt::WindowNoState},
        ShowCase{"MaximisedRule", 3, SW_SHOWNORMAL, 0, SW_SHOWMAXIMIZED, Qt::WindowMaximized},
        ShowCase{"MinimisedRule", 4, SW_SHOWNORMAL, 0, SW_SHOWMINIMIZED, Qt::WindowMinimized},
        ShowCase{"KeepRule", 1, SW_SHOWMAXIMIZED, 0, SW_SHOWMAXIMIZED, Qt::WindowMaximized},
        ShowCase{"MinimisedReopensNormal", 0, SW_SHOWMINIMIZED, 0, SW_SHOWNORMAL, Qt::WindowNoState},
        ShowCase{"MinimisedFromMaximisedReopensMaximised", 0, SW_SHOWMINIMIZED, WPF_RESTORETOMAXIMIZED,
                 SW_SHOWMAXIMIZED, Qt::WindowMaximized},
        ShowCase{"MinimisedWithOtherFlagsNeverStaysMinimised", 7, SW_SHOWMINIMIZED, 0x3,
                 SW_SHOWMAXIMIZED, Qt::WindowMaximized},
        ShowCase{"UnknownCommandShowsNormal", 0, 0, 0, 0, Qt::WindowNoState}),
    [](const testing::TestParamInfo<ShowCase>& param) { return std::string(param.param.name); });

TEST_F(PlacementStoreTest, SaveBeforeAnyLoadKeepsTheSharedRule)
{
    ProfileStore::WriteProfileInt(kSection, QString(), 3);
    ASSERT_TRUE(store.SavePlacement(&window, Entry("unloaded"), kSection));
    EXPECT_EQ(ProfileStore::GetProfileInt(kSection, QString(), -1), 3);
}

TEST_F(PlacementStoreTest, ClosedMaximisedReopensMaximised)
{
    window.setGeometry(70, 80, 360, 260);
    window.setWindowState(Qt::WindowMaximized);
    ASSERT_TRUE(store.SavePlacement(&window, Entry("max"), kSection));
    EXPECT_EQ(store.wpCurrent.showCmd, SW_SHOWMAXIMIZED);

    QWidget reopened;
    PlacementStore second;
    ASSERT_TRUE(second.LoadPlacement(&reopened, Entry("max"), kSection));
    EXPECT_TRUE(reopened.isMaximized());
    EXPECT_EQ(reopened.normalGeometry(), QRect(70, 80, 360, 260));
}
