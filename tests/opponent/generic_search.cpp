// The search on any evaluator (called virtually), for the reference and scripted evaluators of
// the tests and the benchmark; the game's library has only its own evaluator's search.

#include "search_steps.h"

namespace kivola {

template bool Search::findMove(const SearchTools<CellEvaluator>&, std::span<const BoardPoint>, bool, int&, int&);
template void Search::SearchPly(const SearchTools<CellEvaluator>&, int, int, std::int32_t&, std::int32_t,
                                std::int32_t);
template void Search::SelectCandidates(const SearchTools<CellEvaluator>&, int, CandidateList&);

} // namespace kivola
