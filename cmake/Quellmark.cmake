# Compiler settings and the test helpers shared by every subsystem.

if(WIN32)
  # MinGW's own printf rounds differently from glibc; the ANSI stdio of
  # MinGW-w64 prints the same digits as the native build.
  add_compile_definitions(__USE_MINGW_ANSI_STDIO=1 WINVER=0x0601 _WIN32_WINNT=0x0601
                          WIN32_LEAN_AND_MEAN NOMINMAX)
  add_compile_options(-Wall -Wextra)
  add_link_options(-static -static-libgcc -static-libstdc++)
  # Release executables without symbols: smaller files, and less for the
  # loader to map.
  add_link_options($<$<CONFIG:Release>:-s>)
  set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  set(QM_GTEST_LIBS gmock gtest_main)
else()
  option(QM_SANITIZE "Build with AddressSanitizer and UBSan" ON)
  # With clang: instrument everything for libFuzzer and build the fuzz
  # targets instead of the tests.
  option(QM_FUZZ "Build the fuzz targets (clang and libFuzzer) instead of the tests" OFF)
  add_compile_options(-Wall -Wextra)
  if(QM_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
  endif()
  if(QM_FUZZ)
    add_compile_options(-fsanitize=fuzzer-no-link)
  else()
    find_package(GTest REQUIRED)
    set(QM_GTEST_LIBS GTest::gmock GTest::gtest_main)
  endif()
endif()

set(QM_TOOLS ${CMAKE_SOURCE_DIR}/tools)
set(QM_WINEPREFIX ${CMAKE_BINARY_DIR}/wineprefix)

# Runs a Windows program of this tree under Wine in the tree's own prefix.
function(qm_wine_command out)
  set(${out} ${QM_TOOLS}/wine-run.sh ${QM_WINEPREFIX} PARENT_SCOPE)
endfunction()

# qm_test(<name> SOURCES <files...> [LIBS <libs...>] [NATIVE_ONLY] [WIN_ONLY]
#         [LABELS <labels...>] [TIMEOUT <seconds>])
# A GoogleTest program: in the native tree it is a `unit` test, in the
# Windows tree the same program runs under Wine with the label `wine`.
function(qm_test name)
  cmake_parse_arguments(T "NATIVE_ONLY;WIN_ONLY" "TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
  if(T_NATIVE_ONLY AND WIN32)
    return()
  endif()
  if(T_WIN_ONLY AND NOT WIN32)
    return()
  endif()
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} ${QM_GTEST_LIBS})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  if(WIN32)
    qm_wine_command(run)
    add_test(NAME ${name} COMMAND ${run} $<TARGET_FILE:${name}>
             WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
    set_tests_properties(${name} PROPERTIES LABELS "wine;${T_LABELS}"
                         FIXTURES_REQUIRED wineprefix TIMEOUT ${T_TIMEOUT})
  else()
    add_test(NAME ${name} COMMAND ${name} WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
    set_tests_properties(${name} PROPERTIES LABELS "unit;${T_LABELS}" TIMEOUT ${T_TIMEOUT})
  endif()
endfunction()

# qm_script_test(<name> COMMAND <cmd...> [LABELS <labels...>] [TIMEOUT <s>] [RUN_SERIAL])
# A whole-program test (a shell or Python script). In the Windows tree it
# gets the Wine prefix fixture and these variables in its environment:
# QM_WINEPREFIX, QM_WINE_RUN, QM_BUILD_DIR, QM_SOURCE_DIR.
function(qm_script_test name)
  cmake_parse_arguments(T "RUN_SERIAL" "TIMEOUT" "COMMAND;LABELS" ${ARGN})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 600)
  endif()
  qm_wine_command(run)
  add_test(NAME ${name} COMMAND ${T_COMMAND} WORKING_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR})
  string(JOIN " " run_text ${run})
  set_tests_properties(${name} PROPERTIES LABELS "${T_LABELS}" TIMEOUT ${T_TIMEOUT}
    ENVIRONMENT "QM_WINEPREFIX=${QM_WINEPREFIX};QM_WINE_RUN=${run_text};QM_BUILD_DIR=${CMAKE_BINARY_DIR};QM_SOURCE_DIR=${CMAKE_SOURCE_DIR};QM_TOOLS=${QM_TOOLS}")
  if(WIN32)
    set_tests_properties(${name} PROPERTIES FIXTURES_REQUIRED wineprefix)
  endif()
  if(T_RUN_SERIAL)
    set_tests_properties(${name} PROPERTIES RUN_SERIAL TRUE)
  endif()
endfunction()

# qm_screenshot_test(<name> DEMO <target> SOURCES <files...> [LIBS <libs...>] SCRIPT <file.py>)
# Windows tree only: a demo program that shows something under Wine, and the
# Python script (beside the demo's sources) that runs it on a private X
# server, takes the screenshot and checks it.
function(qm_screenshot_test name)
  cmake_parse_arguments(T "" "DEMO;SCRIPT" "SOURCES;LIBS" ${ARGN})
  if(NOT WIN32)
    return()
  endif()
  add_executable(${T_DEMO} WIN32 ${T_SOURCES})
  target_link_libraries(${T_DEMO} PRIVATE ${T_LIBS})
  target_include_directories(${T_DEMO} PRIVATE ${CMAKE_SOURCE_DIR})
  qm_script_test(${name}
    COMMAND /usr/bin/python3 ${CMAKE_CURRENT_SOURCE_DIR}/${T_SCRIPT} $<TARGET_FILE:${T_DEMO}>
    LABELS wine TIMEOUT 180 RUN_SERIAL)
endfunction()
