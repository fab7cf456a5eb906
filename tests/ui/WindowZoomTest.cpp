// The window at each zoom: its own layout drawn larger in its proportions, kept for the next run.
#include "FormFixture.h"
#include "Rounding.h"

#include <QAction>
#include <vector>

namespace {

using WindowZoomTest = FormFixture;

TEST_F(WindowZoomTest, EveryZoomLaysTheWindowOutLargerInItsProportionsAndIsKept) {
    struct Look {
        QWidget* control;
        QRect at100;
        int fontPixels;
    };
    std::vector<Look> looks{{form.get(), form->geometry(), 0}};
    for (QWidget* child : form->findChildren<QWidget*>()) {
        if (!child->isWindow()) {
            looks.push_back({child, child->geometry(), child->font().pixelSize()});
        }
    }
    for (const int32_t percent : {150, 300, 200}) {
        QAction* zoom = MenuEntry(QStringLiteral("%1 %").arg(percent));
        ASSERT_NE(zoom, nullptr);
        zoom->trigger();
        const auto s = [percent](int v) { return RoundToInt32(v * percent / 100.0); };
        for (const Look& look : looks) {
            const QRect r = look.at100;
            const QRect scaled(QPoint(s(r.left()), s(r.top())),
                               QPoint(s(r.left() + r.width()) - 1, s(r.top() + r.height()) - 1));
            EXPECT_EQ(look.control->size(), scaled.size()) << percent;
            if (look.control != form.get()) {
                EXPECT_EQ(look.control->pos(), scaled.topLeft()) << percent;
            }
            if (look.fontPixels > 0) {
                EXPECT_EQ(look.control->font().pixelSize(), s(look.fontPixels)) << percent;
            }
        }
        // The clock face is drawn at the larger size, not enlarged from the small one.
        EXPECT_EQ(form->picClock.Picture().size(), form->picClock.size());
    }
    const QSize zoomed = form->size();
    form.reset();
    SetUp();
    EXPECT_EQ(form->size(), zoomed);
}

} // namespace
