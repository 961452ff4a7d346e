#include "sys/mdb/mdb_ip_regen_dlg.h"

#include "tests/support/test_qt_application.h"

#include <gtest/gtest.h>

namespace {

class IpRegenWidgets : public testing::Test {
protected:
    static void SetUpTestSuite() { test_qt_application(); }
};

TEST_F(IpRegenWidgets, DescriptionShowsBusyAnimationOnlyWhileStarted) {
    QWidget parent;
    auto* cell = new MDB_IP_REGEN_WIDGET_TEXT_EDIT(&parent);
    parent.show();
    ASSERT_NE(cell->m_movie_label->movie(), nullptr);
    EXPECT_TRUE(cell->m_movie_label->isHidden());
    cell->start_movie(true);
    EXPECT_FALSE(cell->m_movie_label->isHidden());
    EXPECT_EQ(cell->m_movie_label->movie()->state(), QMovie::Running);
    cell->start_movie(false);
    EXPECT_TRUE(cell->m_movie_label->isHidden());
    EXPECT_EQ(cell->m_movie_label->movie()->state(), QMovie::NotRunning);
    EXPECT_EQ(cell->sizeHint(), QSize(0, 40));
    EXPECT_TRUE(cell->m_text_edit->isReadOnly());
}

TEST_F(IpRegenWidgets, ButtonCellShowsItsText) {
    QWidget parent;
    MDB_IP_REGEN_WIDGET_BUTTON cell("Upgrade", &parent);
    ASSERT_NE(cell.m_push_button, nullptr);
    EXPECT_EQ(cell.m_push_button->text(), "Upgrade");
}

TEST_F(IpRegenWidgets, BusyAnimationHasFrames) {
    std::unique_ptr<QMovie> movie(afcq_get_movie(3));
    ASSERT_NE(movie, nullptr);
    EXPECT_GT(movie->frameCount(), 1);
    EXPECT_EQ(afcq_get_movie(4), nullptr);
}

} // namespace
