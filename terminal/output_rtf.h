// Coloured output runs as one rich-text stream, so that the editor can take a
// whole batch of output in a single insertion instead of a format change and
// an insertion per run.
#pragma once

#include <string>
#include <vector>

#include "terminal/sgr_parser.h"

// The runs as an RTF document that spells out only colour and weight: the
// font, size and protection come from the format at the insertion point.
// Runs of blanks and line breaks keep the colour and weight before them, as
// those do not show. A CR LF pair, a lone CR and a lone LF each end a paragraph.
std::string outputRunsToRtf(const std::vector<OutputRun>& runs);
