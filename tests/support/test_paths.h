// Paths the tests are built with.
#pragma once

// The shared corpus of real files (may be absent).
constexpr const char *kSharedCorpusDir = SHARED_CORPUS_DIR;
