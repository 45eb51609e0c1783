#include "desktop/GeometryRequests.h"

#include <gtest/gtest.h>

#include <vector>

namespace corkwallery {
namespace {

using Report = GeometryRequests::Report;

// Reports as window managers send them, after the requests made so far: late, mixed, rounded.
TEST(GeometryRequests, TellsEchoesFromMovesAndImposedGeometries) {
    const QRect a(100, 100, 300, 200), b(400, 100, 300, 200), c(400, 100, 320, 210);
    const struct {
        const char* what;
        std::vector<QRect> asked;
        std::vector<QRect> reports;
        std::vector<Report> told;
    } cases[] = {
        {"its own request", {a}, {a}, {Report::Echo}},
        {"a pixel off, rounded", {a}, {a.translated(1, -1).adjusted(0, 0, 1, 0)}, {Report::Echo}},
        {"late: both requests echoed in order", {a, b}, {a, b}, {Report::Echo, Report::Echo}},
        {"the new position with the old size",
         {a, c},
         {QRect(c.topLeft(), a.size())},
         {Report::Echo}},
        {"an echo settles what came before it", {a, c}, {c, a}, {Report::Echo, Report::Imposed}},
        {"a drag: a requested size elsewhere", {a}, {a.translated(50, 80)}, {Report::Move}},
        {"a tile: a size never asked for", {a}, {QRect(0, 20, 720, 880)}, {Report::Imposed}},
        {"nothing asked yet", {}, {a}, {Report::Imposed}},
    };
    for (const auto& [what, asked, reports, told] : cases) {
        SCOPED_TRACE(what);
        GeometryRequests requests;
        for (const QRect& geometry : asked)
            requests.asked(geometry);
        std::vector<Report> seen;
        for (const QRect& report : reports)
            seen.push_back(requests.classify(report));
        EXPECT_EQ(seen, told);
    }
}

}  // namespace
}  // namespace corkwallery
