// The vector scoring core: cosine similarity, ranking by similarity and the
// fusion of a keyword ranking with a similarity ranking.
#pragma once

#include <cstddef>
#include <vector>

#include "search/ranking.h"

// In [-1, 1]; exactly 0 for an empty vector, different lengths or a zero norm.
float cosineSimilarity(const std::vector<float>& a, const std::vector<float>& b);

// Documents with a positive similarity, scored round(similarity * 1000), best first.
std::vector<ScoredIndex> rankBySimilarity(const std::vector<float>& query,
                                          const std::vector<std::vector<float>>& documents, size_t limit);

// Keyword scores are rescaled so the best is worth 1000; both lists weigh half.
std::vector<ScoredIndex> fuseScores(const std::vector<ScoredIndex>& keywordHits,
                                    const std::vector<ScoredIndex>& similarityHits, size_t limit);
