# Project-wide compile settings and the two helpers every folder uses:
#   qm_library(NAME <target> [PORTABLE src...] [WINDOWS src...] [DEPS lib...] [WINDOWS_DEPS lib...])
#     PORTABLE sources need no OS facility and are built in every build (also the host
#     build under sanitizers); WINDOWS sources only in the Windows builds. In the host
#     build a library without PORTABLE sources does not exist.
#   qm_test(NAME <target> SOURCES src... [DEPS lib...] [WINDOWS_ONLY] [WRAPPER cmd...] [TIMEOUT s])
#     A GoogleTest binary. Windows builds run it under Wine; WRAPPER is a host command
#     put in front of it (for example one that starts a test server around the run).

add_library(qm_options INTERFACE)
target_include_directories(qm_options INTERFACE ${CMAKE_SOURCE_DIR})
if(QM_WINDOWS)
  target_compile_definitions(qm_options INTERFACE
    UNICODE _UNICODE NOMINMAX WIN32_LEAN_AND_MEAN _WIN32_WINNT=0x0601 WINVER=0x0601)
  target_compile_options(qm_options INTERFACE -Wall -Wextra -Wno-unused-parameter -Wno-cast-function-type)
else()
  target_compile_options(qm_options INTERFACE -Wall -Wextra -Wno-unused-parameter
    -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  target_link_options(qm_options INTERFACE -fsanitize=address,undefined)
endif()

if(QM_WINDOWS)
  set(QM_WINE_PREFIX ${CMAKE_BINARY_DIR}/wineprefix)
  set(QM_EMULATOR ${CMAKE_SOURCE_DIR}/tools/wine/wine-run --prefix ${QM_WINE_PREFIX})
endif()

function(qm_library)
  cmake_parse_arguments(A "" "NAME" "PORTABLE;WINDOWS;DEPS;WINDOWS_DEPS" ${ARGN})
  set(srcs ${A_PORTABLE})
  if(QM_WINDOWS)
    list(APPEND srcs ${A_WINDOWS})
  endif()
  if(NOT srcs)
    return()
  endif()
  add_library(${A_NAME} STATIC ${srcs})
  target_link_libraries(${A_NAME} PUBLIC qm_options ${A_DEPS})
  if(QM_WINDOWS AND A_WINDOWS_DEPS)
    target_link_libraries(${A_NAME} PUBLIC ${A_WINDOWS_DEPS})
  endif()
endfunction()

function(qm_test)
  cmake_parse_arguments(A "WINDOWS_ONLY" "NAME;TIMEOUT" "SOURCES;DEPS;WRAPPER" ${ARGN})
  if(A_WINDOWS_ONLY AND NOT QM_WINDOWS)
    return()
  endif()
  foreach(dep ${A_DEPS})
    if(NOT TARGET ${dep} AND NOT dep MATCHES "^-|::")
      return() # a Windows-only library in the host build
    endif()
  endforeach()
  add_executable(${A_NAME} ${A_SOURCES})
  target_link_libraries(${A_NAME} PRIVATE qm_options ${A_DEPS} GTest::gtest GTest::gtest_main)
  if(QM_WINDOWS)
    set(cmd ${A_WRAPPER} ${QM_EMULATOR} $<TARGET_FILE:${A_NAME}>)
  else()
    set(cmd ${A_WRAPPER} $<TARGET_FILE:${A_NAME}>)
  endif()
  add_test(NAME ${A_NAME} COMMAND ${cmd} WORKING_DIRECTORY ${CMAKE_BINARY_DIR}/bin)
  if(NOT A_TIMEOUT)
    set(A_TIMEOUT 300)
  endif()
  set_tests_properties(${A_NAME} PROPERTIES TIMEOUT ${A_TIMEOUT})
endfunction()
