# Runs the benchmark program where it cannot do its work (its temporary folder is /proc, where
# no folder can be made, not even by root) and passes only when the program says so and exits 1:
# a benchmark that cannot measure must never pass for one that did.
#     cmake -DBENCH=build/native/bench/exameo_bench -P bench/expect_failure.cmake
if(NOT BENCH)
  message(FATAL_ERROR "usage: cmake -DBENCH=<benchmark program> -P expect_failure.cmake")
endif()
set(ENV{TMPDIR} /proc)
execute_process(
  COMMAND ${BENCH} "--benchmark_filter=(Import|Export)Gift/1000$" --benchmark_min_time=0.01
  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
message("${out}${err}")
if(NOT status EQUAL 1)
  message(FATAL_ERROR "exit status ${status}, not 1")
endif()
if(NOT out MATCHES "cannot make the benchmark's folder")
  message(FATAL_ERROR "the report does not name the fault")
endif()
if(NOT err MATCHES "2 benchmark run\\(s\\) failed")
  message(FATAL_ERROR "the program does not say that both benchmarks failed")
endif()
