// The window at each zoom: the fixed layout drawn larger in its proportions, kept for the next run.
#include "FormFixture.h"
#include "Rounding.h"

#include <QAction>
#include <functional>
#include <vector>

namespace {

class WindowZoomTest : public FormFixture {
protected:
    void Choose(int32_t percent) {
        for (QAction* action : form->Commands().Menu().findChildren<QAction*>()) {
            if (action->text() == QStringLiteral("%1 %").arg(percent)) {
                action->trigger();
            }
        }
    }
};

QRect Scaled(QRect r, double f) {
    const auto s = [f](int v) { return RoundToInt32(v * f); };
    return QRect(QPoint(s(r.left()), s(r.top())),
                 QPoint(s(r.left() + r.width()) - 1, s(r.top() + r.height()) - 1));
}

} // namespace

TEST_F(WindowZoomTest, EveryZoomLaysTheWindowOutLargerInItsProportions) {
    struct Row {
        const char* name;
        std::function<QWidget&()> control;
        QRect at100;
        int fontPixels;
    };
    const std::vector<Row> rows{
        {"window", [&]() -> QWidget& { return *form; }, {0, 0, 268, 172}, 0},
        {"lbBPM", [&]() -> QWidget& { return form->lbBPM; }, {88, 40, 97, 41}, 32},
        {"lbRhithm", [&]() -> QWidget& { return form->Display.lbRhithm; }, {8, 152, 257, 17}, 16},
        {"picClock", [&]() -> QWidget& { return form->picClock; }, {0, 0, 60, 60}, 0},
        {"picBall", [&]() -> QWidget& { return form->Display.picBall; }, {208, 0, 41, 89}, 0},
    };
    for (const int32_t percent : {100, 150, 200, 300, 100}) {
        Choose(percent);
        const double f = percent / 100.0;
        for (const Row& row : rows) {
            SCOPED_TRACE(std::string(row.name) + " at " + std::to_string(percent));
            EXPECT_EQ(row.control().geometry(), Scaled(row.at100, f));
            if (row.fontPixels > 0) {
                EXPECT_EQ(row.control().font().pixelSize(), RoundToInt32(row.fontPixels * f));
            }
        }
        // The clock face is drawn at the larger size, not enlarged from the small one.
        EXPECT_EQ(form->picClock.Picture().size(), Scaled({0, 0, 60, 60}, f).size());
    }
}

TEST_F(WindowZoomTest, TheZoomIsKeptForTheNextRun) {
    Choose(200);
    form.reset();
    form = std::make_unique<FormMain>(services, values);
    EXPECT_EQ(settings.store.Stored("Window", "Zoom"), "200");
    EXPECT_EQ(form->size(), QSize(536, 344));
    EXPECT_EQ(form->lbBPM.geometry(), QRect(176, 80, 194, 82));
}
