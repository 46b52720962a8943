#include "search/similarity.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <unordered_map>
#include <utility>

#include "data/json.h"

float cosineSimilarity(const std::vector<float>& a, const std::vector<float>& b) {
    if (a.empty() || a.size() != b.size()) return 0.0f;
    double dot = 0.0, sumA = 0.0, sumB = 0.0;
    for (size_t i = 0; i < a.size(); ++i) {
        const double x = a[i], y = b[i];
        dot += x * y;
        sumA += x * x;
        sumB += y * y;
    }
    // Also false for NaN, so such vectors count as degenerate.
    if (!(sumA > 0.0) || !(sumB > 0.0)) return 0.0f;
    return static_cast<float>(dot / (std::sqrt(sumB) * std::sqrt(sumA)));
}

std::vector<ScoredIndex> rankBySimilarity(const std::vector<float>& query,
                                          const std::vector<std::vector<float>>& documents, size_t limit) {
    std::vector<ScoredIndex> hits;
    for (size_t i = 0; i < documents.size(); ++i) {
        if (documents[i].empty()) continue;
        const float c = cosineSimilarity(query, documents[i]);
        if (!(c > 0.0f)) continue;
        // c is at most 1 plus rounding, so the product fits an int32.
        const float scaled = c * 1000.0f + 0.5f;
        hits.push_back({static_cast<uint64_t>(i), static_cast<int32_t>(scaled)});
    }
    std::stable_sort(hits.begin(), hits.end(),
                     [](const ScoredIndex& x, const ScoredIndex& y) { return x.score > y.score; });
    if (hits.size() > limit) hits.resize(limit);
    return hits;
}

std::vector<ScoredIndex> fuseScores(const std::vector<ScoredIndex>& keywordHits,
                                    const std::vector<ScoredIndex>& similarityHits, size_t limit) {
    int32_t best = 1;
    for (const auto& hit : keywordHits) best = std::max(best, hit.score);
    const double m = best;

    std::vector<std::pair<uint64_t, double>> sums;  // in first-seen order
    std::unordered_map<uint64_t, size_t> position;
    auto add = [&](uint64_t index, double amount) {
        auto [it, inserted] = position.try_emplace(index, sums.size());
        if (inserted)
            sums.push_back({index, 0.0 + amount});
        else
            sums[it->second].second += amount;
    };
    for (const auto& hit : keywordHits) add(hit.index, 0.5 * (hit.score * 1000.0 / m));
    for (const auto& hit : similarityHits) add(hit.index, 0.5 * hit.score);

    std::stable_sort(sums.begin(), sums.end(), [](const auto& x, const auto& y) { return x.second > y.second; });
    std::vector<ScoredIndex> fused;
    for (const auto& [index, value] : sums) {
        if (fused.size() >= limit) break;
        // Clamped: repeated or extreme input scores could leave the int32 range.
        fused.push_back({index, clampToInt32(value + 0.5)});
    }
    return fused;
}
