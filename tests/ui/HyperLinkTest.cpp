#include <QEnterEvent>
#include <QTest>

#include <gtest/gtest.h>

#include "HyperLink.h"
#include "ScriptedInteraction.h"

namespace {

void Hover(CHyperLink& link)
{
    QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
    QCoreApplication::sendEvent(&link, &enter);
}

void Leave(CHyperLink& link)
{
    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(&link, &leave);
}

class HyperLinkTest : public testing::Test
{
protected:
    ScriptedInteraction seam;
    ScopedInteraction scope{&seam};
};

} // namespace

TEST_F(HyperLinkTest, OpenErrorTexts)
{
    const struct
    {
        int nCode;
        QString text;
    } cases[] = {
        {2, QStringLiteral("Unable to open hyperlink:\n\nThe specified file was not found.")},
        {26, QStringLiteral("Unable to open hyperlink:\n\nA sharing violation occurred. ")},
        {99, QStringLiteral("Unable to open hyperlink:\n\nUnknown Error (99) occurred.")},
    };
    for (const auto& c : cases) {
        CHyperLink::ShowOpenError(c.nCode);
        ASSERT_FALSE(seam.boxes.isEmpty());
        EXPECT_EQ(seam.boxes.last().text, c.text);
        EXPECT_EQ(seam.boxes.last().type, MB_ICONWARNING | MB_OK);
    }
}

TEST_F(HyperLinkTest, TextBecomesTheTargetWhenNoneIsSet)
{
    CHyperLink link(QStringLiteral("https://marlune.example/"));
    EXPECT_EQ(link.LinkTarget(), QStringLiteral("https://marlune.example/"));
    EXPECT_EQ(link.toolTip(), QStringLiteral("https://marlune.example/"));
    EXPECT_EQ(link.cursor().shape(), Qt::PointingHandCursor);
}

TEST_F(HyperLinkTest, EmptyTextWithTargetSetLater)
{
    CHyperLink link;
    link.setGeometry(10, 10, 80, 20);
    link.SetLinkTarget(QStringLiteral("https://marlune.example/help"));
    EXPECT_TRUE(link.text().isEmpty());
    EXPECT_EQ(link.width(), 0);
    EXPECT_EQ(link.x(), 10);
    EXPECT_EQ(link.toolTip(), QStringLiteral("https://marlune.example/help"));
}

TEST_F(HyperLinkTest, FitsItsTextKeepingTheAlignedEdge)
{
    CHyperLink link(QStringLiteral("home page"));
    link.setAlignment(Qt::AlignRight | Qt::AlignTop);
    link.setGeometry(100, 10, 200, 30);
    link.FitToText();
    QFont underlined = link.font();
    underlined.setUnderline(true);
    const QSize text = QFontMetrics(underlined).size(Qt::TextSingleLine, link.text());
    EXPECT_EQ(link.geometry(), QRect(300 - text.width(), 10, text.width(), text.height()));
}

TEST_F(HyperLinkTest, ColourStates)
{
    CHyperLink link(QStringLiteral("https://marlune.example/"));
    link.resize(link.sizeHint());
    const QColor blue(0, 0, 238);
    const QColor purple(85, 26, 139);
    const QColor red(255, 0, 0);
    EXPECT_EQ(link.CurrentTextColor(), blue);
    EXPECT_EQ(link.palette().color(QPalette::WindowText), blue);
    EXPECT_FALSE(link.font().underline());

    Hover(link);
    EXPECT_EQ(link.palette().color(QPalette::WindowText), red);
    EXPECT_TRUE(link.font().underline());
    Leave(link);
    EXPECT_EQ(link.palette().color(QPalette::WindowText), blue);
    EXPECT_FALSE(link.font().underline());

    // A failed open explains itself and leaves the link unvisited.
    seam.openSucceeds = false;
    QTest::mouseClick(&link, Qt::LeftButton);
    ASSERT_EQ(seam.boxes.size(), 1);
    EXPECT_EQ(seam.boxes.first().text,
              QStringLiteral("Unable to open hyperlink:\n\nThere is no application associated\n"
                             "with the given filename extension."));
    EXPECT_FALSE(link.IsVisited());
    EXPECT_EQ(link.palette().color(QPalette::WindowText), blue);

    seam.openSucceeds = true;
    QTest::mouseClick(&link, Qt::LeftButton);
    EXPECT_EQ(seam.openedItems.last(), QStringLiteral("https://marlune.example/"));
    EXPECT_EQ(seam.boxes.size(), 1);
    EXPECT_TRUE(link.IsVisited());
    EXPECT_EQ(link.palette().color(QPalette::WindowText), purple);
    Hover(link);
    EXPECT_EQ(link.palette().color(QPalette::WindowText), red);
    Leave(link);
    EXPECT_EQ(link.palette().color(QPalette::WindowText), purple);
}

TEST_F(HyperLinkTest, MissingLocalFileReportsFileNotFound)
{
    seam.openSucceeds = false;
    EXPECT_EQ(CHyperLink::OpenLink(QStringLiteral("/nonexistent/marlune/readme.html")), 2);
    EXPECT_EQ(CHyperLink::OpenLink(QStringLiteral("https://marlune.example/")), 31);
    EXPECT_EQ(seam.webPageHandlerOpened.size(), 2) << "the web page handler is tried before failing";

    // The web page handler takes what the opener could not.
    seam.webPageHandlerSucceeds = true;
    EXPECT_GT(CHyperLink::OpenLink(QStringLiteral("https://marlune.example/")), 32);
    EXPECT_EQ(seam.webPageHandlerOpened.last(), QStringLiteral("https://marlune.example/"));
    seam.openSucceeds = true;
    EXPECT_GT(CHyperLink::OpenLink(QStringLiteral("https://marlune.example/")), 32);
    EXPECT_EQ(seam.webPageHandlerOpened.size(), 3);
}
