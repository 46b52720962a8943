// The vector scoring core checked with small fixed vectors.
#include <algorithm>
#include <cmath>

#include "search/similarity.h"
#include "selftest/harness.h"
#include "selftest/suites.h"

namespace {

bool near(float value, float expected) { return std::fabs(value - expected) < 0.0001f; }

bool holdsIndex(const std::vector<ScoredIndex>& hits, uint64_t index) {
    return std::any_of(hits.begin(), hits.end(), [&](const ScoredIndex& hit) { return hit.index == index; });
}

}  // namespace

int runSemanticSuite() {
    SuiteLog log = openSuiteLog(u"toolkeep-semantic-selftest.log");
    writeSuiteLine(log, u"== 语义检索核心自检 ==");

    const std::vector<float> x = {1, 0, 0};
    suiteCheck(log, near(cosineSimilarity(x, {1, 0, 0}), 1.0f), u"余弦：同向=1");
    suiteCheck(log, near(cosineSimilarity(x, {0, 1, 0}), 0.0f), u"余弦：正交=0");
    suiteCheck(log, near(cosineSimilarity(x, {2, 0, 0}), 1.0f), u"余弦：共线(忽略模长)=1");
    suiteCheck(log, cosineSimilarity({}, x) == 0.0f, u"余弦：空向量=0");

    const std::vector<std::vector<float>> documents = {{0, 0, 1}, {1, 0, 0}, {}};
    auto ranked = rankBySimilarity({0.9f, 0.1f, 0.0f}, documents, 8);
    suiteCheck(log, !ranked.empty() && ranked[0].index == 1 && !holdsIndex(ranked, 0),
               u"相似度排序：最相关在前(下标1)");
    suiteCheck(log, !holdsIndex(ranked, 2), u"相似度排序：跳过空向量");

    auto fused = fuseScores({{5, 100}, {6, 50}}, {{6, 900}, {5, 100}}, 8);
    suiteCheck(log, holdsIndex(fused, 5) && holdsIndex(fused, 6), u"融合：关键词命中均保留");
    suiteCheck(log, !fused.empty() && fused[0].index == 6, u"融合：语义高分上升到首位(下标6)");

    return finishSuite(log);
}
