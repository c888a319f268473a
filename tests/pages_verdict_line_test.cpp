// The sensor pages' verdict line: the word and the reason of the verdict, and a line already
// shown judged again when another profile's criteria are chosen.
#include "UiTestSupport.h"

#include <QLabel>

#include "pages/VerdictLine.h"
#include "records/VerdictText.h"

namespace {

TEST(VerdictLine, SaysTheVerdictAndFollowsTheChosenCriteria) {
    uitest::App();
    QWidget page;
    CVerdictLine line(&page, nullptr, Sensor::Reflective);
    line.SetCriteria(verdict::Criteria{});
    EXPECT_TRUE(line.Label()->isHidden()); // nothing judged yet
    line.NoteCheck(3.7647f, 3.6078f);      // a gap of 0.1569 V at 5.0 V
    line.Judge(5.0f);
    EXPECT_FALSE(line.Label()->isHidden());
    EXPECT_EQ(line.Last().verdict, verdict::Outcome::kMarginal);
    EXPECT_TRUE(
        line.Label()->text().contains(tarvello::records::OutcomeWord(verdict::Outcome::kMarginal)));
    verdict::Criteria looser;
    looser.contrastPass = 0.03;
    looser.contrastMarginal = 0.01;
    line.SetCriteria(looser);
    EXPECT_EQ(line.Last().verdict, verdict::Outcome::kPass);
    EXPECT_TRUE(
        line.Label()->text().contains(tarvello::records::OutcomeWord(verdict::Outcome::kPass)));
}

} // namespace
