#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "search/similarity.h"

namespace {

using Hits = std::vector<ScoredIndex>;

::testing::AssertionResult sameHits(const Hits& actual, const Hits& expected) {
    bool same = actual.size() == expected.size();
    for (size_t i = 0; same && i < actual.size(); ++i)
        same = actual[i].index == expected[i].index && actual[i].score == expected[i].score;
    if (same) return ::testing::AssertionSuccess();
    auto failure = ::testing::AssertionFailure();
    for (const auto& hit : actual) failure << "(" << hit.index << "," << hit.score << ")";
    return failure;
}

TEST(Cosine, ValuesAndDegenerateVectors) {
    // Same direction, orthogonal, collinear and an empty vector are the semantic self-test's.
    const std::vector<float> x = {1, 0, 0};
    EXPECT_NEAR(cosineSimilarity(x, {-3, 0, 0}), -1.0f, 1e-4);
    EXPECT_NEAR(cosineSimilarity({3, 4}, {4, 3}), 24.0f / 25.0f, 1e-6);
    // Degenerate inputs give exactly zero.
    EXPECT_EQ(cosineSimilarity({}, {}), 0.0f);
    EXPECT_EQ(cosineSimilarity(x, {}), 0.0f);
    EXPECT_EQ(cosineSimilarity(x, {1, 0}), 0.0f);
    EXPECT_EQ(cosineSimilarity(x, {0, 0, 0}), 0.0f);
    EXPECT_EQ(cosineSimilarity({0, 0, 0}, x), 0.0f);
    EXPECT_EQ(cosineSimilarity({std::nanf(""), 0, 0}, x), 0.0f);
    // Elements are widened first: 1e30 squared overflows a float but not a double.
    EXPECT_NEAR(cosineSimilarity({1e30f, 0}, {1e30f, 0}), 1.0f, 1e-6);
}

TEST(SimilarityRanking, OrderScoresAndSkips) {
    const std::vector<std::vector<float>> documents = {{0, 0, 1}, {1, 0, 0}, {}, {0.9f, 0.1f, 0}, {-1, 0, 0}, {1, 0}};
    EXPECT_TRUE(sameHits(rankBySimilarity({0.9f, 0.1f, 0}, documents, 8), {{3, 1000}, {1, 994}}));
    EXPECT_TRUE(sameHits(rankBySimilarity({0.9f, 0.1f, 0}, documents, 1), {{3, 1000}}));
    EXPECT_TRUE(rankBySimilarity({0.9f, 0.1f, 0}, documents, 0).empty());
    EXPECT_TRUE(rankBySimilarity({}, documents, 8).empty());
    // Equal scores keep document order.
    EXPECT_TRUE(sameHits(rankBySimilarity({1, 1}, {{1, 0}, {2, 2}, {0, 1}}, 8), {{1, 1000}, {0, 707}, {2, 707}}));
}

TEST(Fusion, WeightsAndOrder) {
    EXPECT_TRUE(sameHits(fuseScores({{5, 100}, {6, 50}}, {{6, 900}, {5, 100}}, 8), {{6, 700}, {5, 550}}));
    EXPECT_TRUE(sameHits(fuseScores({{5, 100}, {6, 50}}, {{6, 900}, {5, 100}}, 1), {{6, 700}}));
    EXPECT_TRUE(fuseScores({}, {}, 8).empty());
    EXPECT_TRUE(fuseScores({{1, 10}}, {}, 0).empty());
    // A keyword list alone keeps its order, the best hit at 500.
    EXPECT_TRUE(sameHits(fuseScores({{2, 90}, {0, 30}, {7, 3}}, {}, 8), {{2, 500}, {0, 167}, {7, 17}}));
    // A similarity list alone is halved; an empty keyword list divides by 1.
    EXPECT_TRUE(sameHits(fuseScores({}, {{4, 801}, {3, 10}}, 8), {{4, 401}, {3, 5}}));
    // Equal values keep first-seen order (keyword hits first).
    EXPECT_TRUE(sameHits(fuseScores({{9, 20}}, {{1, 1000}}, 8), {{9, 500}, {1, 500}}));
    // Scores far beyond the scale stay within int32.
    Hits huge(3, {8, std::numeric_limits<int32_t>::max()});
    EXPECT_TRUE(sameHits(fuseScores({}, huge, 8), {{8, std::numeric_limits<int32_t>::max()}}));
}

}  // namespace
