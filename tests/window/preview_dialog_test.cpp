// The card preview dialog on the offscreen platform, driven through its controls' object
// names: the checked rows' keys, cancelling, a pulled card, and the layout kept between runs.
#include "window/qt/preview_dialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>

#include "media/card_file_name.h"
#include "tests/support/recording_report.h"
#include "tests/support/temp_dir.h"
#include "tools/cardgen/card_builders.h"
#include "window/qt/sort_list_widget.h"

namespace zep {
namespace {

namespace fs = std::filesystem;

constexpr int kReadTimeoutMs = 5000;

class PreviewDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(card);
        fs::create_directories(program);
        cardgen::MeterArchiveSpec meter;
        meter.serial = "777";
        cardgen::WriteBytes(card / "m.zep", cardgen::BuildMeterArchive(meter));
        cardgen::WriteBytes(card / "p.zvo", cardgen::Bytes(100, 'x'));
    }

    // Runs the dialog and hands it to `act` once it is shown; a dialog still open after twenty
    // seconds is cancelled so that a fault cannot hang the suite.
    std::optional<std::vector<SelectionKey>> Run(std::function<void(QDialog&)> act,
                                                 const ImportHistory* history = nullptr) {
        QTimer::singleShot(0, [act] {
            if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                act(*dialog);
            }
        });
        QTimer guard;
        guard.setSingleShot(true);
        QObject::connect(&guard, &QTimer::timeout, [] {
            if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                dialog->reject();
            }
        });
        guard.start(20000);
        return RunPreviewDialog(nullptr, card.string(), program, history);
    }

    static SortListWidget* List(QDialog& dialog) {
        return dialog.findChild<SortListWidget*>("ctl1011");
    }
    static bool WaitForRead(QDialog& dialog) {
        return QTest::qWaitFor([&] { return List(dialog)->isEnabled(); }, kReadTimeoutMs);
    }
    static int RowWithSerial(SortListWidget* list, const std::string& serial) {
        for (int row = 0; row < list->Model().RowCount(); ++row) {
            if (list->Model().Text(row, 2) == serial) {
                return row;
            }
        }
        return -1;
    }

    test::TempDir dir;
    fs::path card = dir / "card";
    fs::path program = dir / "program";
};

TEST_F(PreviewDialogTest, ReturnsTheKeysOfTheCheckedRows) {
    std::string summary;
    const auto result = Run([&](QDialog& dialog) {
        ASSERT_TRUE(WaitForRead(dialog));
        SortListWidget* list = List(dialog);
        summary = dialog.findChild<QLabel*>("ctl1013")->text().toStdString();
        const int row = RowWithSerial(list, "777");
        ASSERT_GE(row, 0);
        list->model()->setData(list->model()->index(row, 0), Qt::Checked, Qt::CheckStateRole);
        auto* ok = dialog.findChild<QPushButton*>("ctl1");
        EXPECT_EQ(ok->accessibleName(), ok->text());
        QTest::mouseClick(ok, Qt::LeftButton);
    });
    ASSERT_TRUE(result);
    EXPECT_EQ(*result, std::vector<SelectionKey>{CardFileKey("m.zep")});
    EXPECT_EQ(summary.rfind("Найдены данные 1 приборов в 2 файлах", 0), 0u) << summary;
}

// A row whose archive the history holds is greyed and says so after its date; checking it
// imports it all the same.
TEST_F(PreviewDialogTest, ARowImportedBeforeIsGreyedAndCheckingItTakesItAgain) {
    MemoryImportHistory history;
    test::RecordingReport quiet;
    history.Record(std::vector{ArchiveKeyOf(test::ReadFileBytes(card / "m.zep"))}, quiet);
    std::vector<bool> greyed;
    std::vector<bool> expected;
    std::string date;
    const auto result = Run(
        [&](QDialog& dialog) {
            ASSERT_TRUE(WaitForRead(dialog));
            SortListWidget* list = List(dialog);
            const int row = RowWithSerial(list, "777");
            ASSERT_GE(row, 0);
            for (int r = 0; r < list->Model().RowCount(); ++r) {
                const QModelIndex cell = list->model()->index(r, 1);
                greyed.push_back(list->model()->data(cell, Qt::ForegroundRole).isValid());
                expected.push_back(r == row);
            }
            date = list->Model().Text(row, 4);
            list->SetChecked(row, true);
            QTest::mouseClick(dialog.findChild<QPushButton*>("ctl1"), Qt::LeftButton);
        },
        &history);
    ASSERT_TRUE(result);
    EXPECT_EQ(*result, std::vector<SelectionKey>{CardFileKey("m.zep")});
    EXPECT_NE(date.find("(импортировано)"), std::string::npos) << date;
    EXPECT_EQ(greyed, expected);
}

TEST_F(PreviewDialogTest, OkWithNothingCheckedSelectsNothingAndCancelGivesNoResult) {
    const auto none = Run([](QDialog& dialog) {
        ASSERT_TRUE(WaitForRead(dialog));
        QTest::mouseClick(dialog.findChild<QPushButton*>("ctl1"), Qt::LeftButton);
    });
    ASSERT_TRUE(none);
    EXPECT_TRUE(none->empty());

    const auto cancelled = Run([](QDialog& dialog) {
        ASSERT_TRUE(WaitForRead(dialog));
        List(dialog)->SetChecked(0, true);
        QTest::keyClick(&dialog, Qt::Key_Escape);
    });
    EXPECT_FALSE(cancelled);
}

TEST_F(PreviewDialogTest, CancelsItselfWhenTheCardIsPulledAfterTheReading) {
    bool closed = false;
    const auto result = Run([&](QDialog& dialog) {
        ASSERT_TRUE(WaitForRead(dialog));
        fs::remove_all(card);
        closed = QTest::qWaitFor([&] { return !dialog.isVisible(); }, kReadTimeoutMs);
    });
    EXPECT_TRUE(closed);
    EXPECT_FALSE(result);
}

TEST_F(PreviewDialogTest, ACardPulledBeforeItIsReadShowsNothingAndCancels) {
    int rows = -1;
    const auto result = Run([&](QDialog& dialog) {
        fs::remove_all(card);
        ASSERT_TRUE(WaitForRead(dialog));
        rows = List(dialog)->Model().RowCount();
    });
    EXPECT_EQ(rows, 0);
    EXPECT_FALSE(result);
}

TEST_F(PreviewDialogTest, TheColumnWidthsAndSortOrderComeBackNextTime) {
    Run([](QDialog& dialog) {
        ASSERT_TRUE(WaitForRead(dialog));
        SortListWidget* list = List(dialog);
        list->horizontalHeader()->resizeSection(2, 150);
        const int x = list->horizontalHeader()->sectionViewportPosition(1) + 10;
        QTest::mouseClick(list->horizontalHeader()->viewport(), Qt::LeftButton, {}, QPoint(x, 5));
        QTest::mouseClick(list->horizontalHeader()->viewport(), Qt::LeftButton, {}, QPoint(x, 5));
        EXPECT_EQ(list->Model().SortColumn(), 1);
        EXPECT_FALSE(list->Model().Ascending());
        dialog.reject();
    });
    ASSERT_TRUE(fs::exists(program / "zepimplst.cfg"));
    int width = 0;
    int sortColumn = -1;
    bool ascending = true;
    std::string firstType;
    Run([&](QDialog& dialog) {
        ASSERT_TRUE(WaitForRead(dialog));
        SortListWidget* list = List(dialog);
        width = list->horizontalHeader()->sectionSize(2);
        sortColumn = list->Model().SortColumn();
        ascending = list->Model().Ascending();
        firstType = list->Model().Text(0, 1);
        dialog.reject();
    });
    EXPECT_EQ(width, 150);
    EXPECT_EQ(sortColumn, 1);
    EXPECT_FALSE(ascending);
    EXPECT_EQ(firstType, "Печатный протокол");  // "П" after "M1" descending
}

}  // namespace
}  // namespace zep
