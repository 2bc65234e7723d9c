# One short run of the bench: it must end well and report every figure with
# its counters. The timings themselves are not judged here.
execute_process(
  COMMAND ${XVFB} ${BENCH} --benchmark_min_time=0.01
  RESULT_VARIABLE status OUTPUT_VARIABLE out ERROR_VARIABLE err)
message("${out}")
if(NOT status EQUAL 0)
  message(FATAL_ERROR "verdalo_bench exited with ${status}\n${err}")
endif()
set(n "[0-9.]+")
foreach(row
    "world rebuild/manual_time +${n} ms .* draws=${n}k floor_ms=${n} logs=${n}k ratio=${n}"
    "frame, start view/manual_time +${n} ms .* floor_ms=${n} in_view=[1-9][0-9]* ratio=${n}"
    "frame, over trees/manual_time +${n} ms .* floor_ms=${n} in_view=[1-9][0-9]* ratio=${n}"
    "start-up to first frame/iterations:5/manual_time +${n} ms .* peak_MiB=${n}")
  if(NOT out MATCHES "${row}")
    message(FATAL_ERROR "no such line in the bench's table: ${row}")
  endif()
endforeach()
