// The card preview's session without a dialog: the card read once on the first tick, a pulled
// card ending the preview, a tick inside a tick, and the result taken on OK.
#include "ui/preview_session.h"

#include <gtest/gtest.h>

#include <functional>

#include "media/card_file_name.h"
#include "tests/support/recording_report.h"
#include "tests/support/temp_dir.h"

namespace zep {
namespace {

namespace fs = std::filesystem;

class RecordingView : public PreviewView {
public:
    void BeginReading() override { ++readings; }
    void ShowCard(const std::vector<PreviewListRow>& shown, const std::string& text) override {
        rows = shown;
        summary = text;
        if (duringShow) {
            duringShow();
        }
    }
    void CancelPreview() override { ++cancels; }

    int readings = 0;
    int cancels = 0;
    std::vector<PreviewListRow> rows;
    std::string summary;
    std::function<void()> duringShow;
};

class PreviewSessionTest : public ::testing::Test {
protected:
    PreviewSessionTest() {
        fs::create_directories(card);
        test::WriteFileText(card / "p.zvo", "protocol");
    }

    test::TempDir dir;
    fs::path card = dir / "Tessal";
    RecordingView view;
    PreviewSession session{view, card.string()};
};

TEST_F(PreviewSessionTest, TheFirstTickShowsTheCardAndLaterTicksOnlyWatchIt) {
    EXPECT_FALSE(session.CardRead());
    session.OnTick();
    session.OnTick();
    EXPECT_TRUE(session.CardRead());
    EXPECT_EQ(view.readings, 1);
    EXPECT_EQ(view.cancels, 0);
    ASSERT_EQ(view.rows.size(), 1u);
    EXPECT_EQ(view.rows[0].cells, (std::vector<std::string>{"", "Печатный протокол", "", "", ""}));
    EXPECT_EQ(view.rows[0].key, CardFileKey("p.zvo"));
    EXPECT_EQ(view.summary, "Найдены данные 0 приборов в 1 файлах (0.00 Мб)");
}

TEST_F(PreviewSessionTest, ACardPulledBeforeTheReadingShowsNothingThenCancels) {
    fs::remove_all(card);
    session.OnTick();
    EXPECT_TRUE(view.rows.empty());
    EXPECT_EQ(view.summary, "Найдены данные 0 приборов в 0 файлах (0.00 Мб)");
    EXPECT_EQ(view.cancels, 0);
    session.OnTick();
    EXPECT_EQ(view.cancels, 1);
    EXPECT_FALSE(session.Result());
}

// A dialog that pumps its messages while it draws may deliver the next tick inside this one.
TEST_F(PreviewSessionTest, ATickArrivingWhileATickIsHandledDoesNothing) {
    view.duringShow = [&] {
        fs::remove_all(card);
        session.OnTick();
    };
    session.OnTick();
    EXPECT_EQ(view.cancels, 0);
    EXPECT_EQ(view.readings, 1);
}

TEST_F(PreviewSessionTest, OkGivesTheCheckedKeysAndNoneCheckedIsAnEmptySelection) {
    session.OnTick();
    EXPECT_FALSE(session.Result());  // still open, or ended any other way than OK
    session.Accept({});
    ASSERT_TRUE(session.Result());
    EXPECT_TRUE(session.Result()->empty());
    session.Accept({CardFileKey("p.zvo")});
    EXPECT_EQ(*session.Result(), std::vector<SelectionKey>{CardFileKey("p.zvo")});
}

// With the history, a row whose archive it holds is marked and the summary counts the new rows
// apart; without it (ImportOnce off) nothing is marked.
TEST_F(PreviewSessionTest, RowsTheHistoryHoldsAreMarkedAndCountedApart) {
    test::WriteFileText(card / "q.zvo", "other protocol");
    MemoryImportHistory history;
    const std::string known = "protocol";
    test::RecordingReport quiet;
    history.Record(std::vector{ArchiveKeyOf(std::span(
                       reinterpret_cast<const std::uint8_t*>(known.data()), known.size()))},
                   quiet);
    RecordingView marked;
    PreviewSession withHistory(marked, card.string(), &history);
    withHistory.OnTick();
    ASSERT_EQ(marked.rows.size(), 2u);
    for (const auto& row : marked.rows) {
        const bool isKnown = row.key == CardFileKey("p.zvo");
        EXPECT_EQ(row.imported, isKnown);
        EXPECT_EQ(row.cells[4], isKnown ? std::string(kImportedMark) : "");
    }
    EXPECT_EQ(marked.summary,
              "Найдены данные 0 приборов в 2 файлах (0.00 Мб)\nНовых: 1, импортированных ранее "
              "(серым): 1");

    session.OnTick();
    ASSERT_EQ(view.rows.size(), 2u);
    EXPECT_FALSE(view.rows[0].imported || view.rows[1].imported);
    EXPECT_EQ(view.summary.find('\n'), std::string::npos);
}

}  // namespace
}  // namespace zep
