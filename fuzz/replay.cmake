# Runs a fuzz target once on every seed of its corpus and of its replay-only folder (FUZZ_REPLAY,
# optional), named one by one so that libFuzzer only executes them and writes nothing into the
# source tree. Fails when the corpus is empty or no seed of either folder is over 64 KiB, when
# the target fails on a seed, or when not every seed is reported run.
#     cmake -DFUZZ_TARGET=build/sanitize/fuzz/fuzz_gift -DFUZZ_CORPUS=fuzz/corpus/fuzz_gift \
#           -DFUZZ_REPLAY=fuzz/replay/fuzz_gift -P fuzz/replay.cmake
if(NOT FUZZ_TARGET OR NOT FUZZ_CORPUS)
  message(FATAL_ERROR
          "usage: cmake -DFUZZ_TARGET=<program> -DFUZZ_CORPUS=<seed folder> -P replay.cmake")
endif()
file(GLOB seeds LIST_DIRECTORIES false ${FUZZ_CORPUS}/*)
list(LENGTH seeds count)
if(count EQUAL 0)
  message(FATAL_ERROR "no seeds in ${FUZZ_CORPUS}")
endif()
if(FUZZ_REPLAY)
  file(GLOB replayed LIST_DIRECTORIES false ${FUZZ_REPLAY}/*)
  list(APPEND seeds ${replayed})
  list(LENGTH seeds count)
endif()
# Every format is read in blocks of 64 KiB: each corpus keeps a seed that crosses a block.
set(largest 0)
foreach(seed ${seeds})
  file(SIZE ${seed} size)
  if(size GREATER largest)
    set(largest ${size})
  endif()
endforeach()
if(largest LESS_EQUAL 65536)
  message(FATAL_ERROR "no seed in ${FUZZ_CORPUS} ${FUZZ_REPLAY} is over 64 KiB (the largest has "
                      "${largest} bytes)")
endif()
# Large enough for every seed, the ones over 64 KiB included.
execute_process(COMMAND ${FUZZ_TARGET} -max_len=1048576 ${seeds}
                RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE out)
string(REGEX MATCHALL "Executed [^\n]* in [0-9]+ ms" executed "${out}")
list(LENGTH executed ran)
if(NOT result EQUAL 0 OR NOT ran EQUAL count)
  message("${out}")
  message(FATAL_ERROR "${FUZZ_TARGET}: exit ${result}, ran ${ran} of ${count} seeds")
endif()
message("${FUZZ_TARGET}: ${count} seeds, no fault")
