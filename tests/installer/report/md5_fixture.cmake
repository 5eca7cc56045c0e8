# Build-time script: writes the MD5 test's byte files into OUT_DIR and their digests,
# computed by the host's md5sum (or, where there is none, CMake's own), into
# OUT_DIR/digests.txt as "<digest>  <file name>" lines.
# Usage: cmake -DPYTHON=... -DGENERATOR=... -DMD5SUM=... -DOUT_DIR=... -P md5_fixture.cmake
execute_process(COMMAND ${PYTHON} ${GENERATOR} ${OUT_DIR} RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "MD5 fixture: generator failed (${rc})")
endif()
file(GLOB inputs RELATIVE ${OUT_DIR} ${OUT_DIR}/bytes_*.bin)
list(SORT inputs)
if(MD5SUM)
  set(digest_command ${MD5SUM})
else()
  set(digest_command ${CMAKE_COMMAND} -E md5sum)
endif()
execute_process(COMMAND ${digest_command} ${inputs}
  WORKING_DIRECTORY ${OUT_DIR} OUTPUT_FILE ${OUT_DIR}/digests.txt RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "MD5 fixture: digest command failed (${rc})")
endif()
