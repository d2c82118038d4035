# The reference evaluator and the test positions (random, self-played and stored), shared by the
# opponent tests and the benchmark. Both include this
# file (the benchmark is built without the tests too), so the targets are defined once, by
# whichever comes first.
if(NOT TARGET kivola_opponent_oracle)
  add_library(kivola_opponent_oracle STATIC
    ${CMAKE_CURRENT_LIST_DIR}/literal_evaluator.cpp
    ${CMAKE_CURRENT_LIST_DIR}/test_positions.cpp
    ${CMAKE_CURRENT_LIST_DIR}/self_play.cpp
    ${CMAKE_CURRENT_LIST_DIR}/stored_positions.cpp)
  target_include_directories(kivola_opponent_oracle PUBLIC ${CMAKE_CURRENT_LIST_DIR})
  target_link_libraries(kivola_opponent_oracle PUBLIC kivola_opponent kivola_core)

  # The search's internals (its working state and steps) and the search on any evaluator, which
  # the game's library leaves out.
  add_library(kivola_opponent_testing STATIC ${CMAKE_CURRENT_LIST_DIR}/generic_search.cpp)
  target_include_directories(kivola_opponent_testing PUBLIC ${PROJECT_SOURCE_DIR}/src/opponent)
  target_link_libraries(kivola_opponent_testing PUBLIC kivola_opponent)
endif()
