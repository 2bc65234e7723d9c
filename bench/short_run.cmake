# One short run of the benchmarks: it must exit 0 and its table must give a
# number for every figure. The figures themselves are not judged here.
# A display of its own, so that no other test's window covers the program's.
execute_process(
  COMMAND ${XVFB} ${BENCH} --benchmark_min_time=0.001 --benchmark_repetitions=1 --startups=1 --f5=3
  RESULT_VARIABLE status
  OUTPUT_VARIABLE out
  ERROR_VARIABLE err)
message("${out}")
if(NOT status EQUAL 0)
  message(FATAL_ERROR "verdalo_bench exited with ${status}\n${err}")
endif()

set(rows
  "world rebuild: heightfield"
  "world rebuild: colour map"
  "world rebuild: tree map"
  "world rebuild: all three"
  "frame 1000x500, start view [(][0-9]+ trees in view[)]"
  "frame 1000x500, over trees [(][0-9]+ trees in view[)]"
  "vertex-array mesh, start view [(]vs floor[)]"
  "vertex-array mesh, over trees [(]vs floor[)]"
  "start-up to window mapped [(]median of 1[)]"
  "start-up to first frame [(]median of 1[)]"
  "peak resident memory at start-up"
  "resident memory after 3 F5s"
  "peak resident memory over 3 F5s")
foreach(r IN LISTS rows)
  if(NOT out MATCHES "\n${r} +[0-9]+[.][0-9]+ ")
    message(FATAL_ERROR "no figure in the table for: ${r}")
  endif()
endforeach()
# Each benchmark reports its floor and the ratio beside its own time.
foreach(name world/heightfield world/colourmap world/treemap world/rebuild frame/start frame/trees)
  if(NOT out MATCHES "\n${name}/manual_time +[0-9.]+ ms +[0-9.]+ ms +[0-9]+ +[0-9]")
    message(FATAL_ERROR "benchmark ${name} did not run")
  endif()
endforeach()
