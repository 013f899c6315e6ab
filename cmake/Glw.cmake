# Shared build settings: warnings, sanitizers and the helpers every folder uses to declare its targets.

function(glw_target_options target)
    target_compile_options(${target} PRIVATE
        -Wall -Wextra -Wnon-virtual-dtor -Woverloaded-virtual)
    # GCC 12 reports std::string members as maybe-uninitialized at -O2 where they are not (a known false
    # positive of its inliner); the warning stays on for other compilers.
    if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
        target_compile_options(${target} PRIVATE -Wshadow=local -Wno-maybe-uninitialized)
    endif()
    if(GLW_WERROR)
        target_compile_options(${target} PRIVATE -Werror)
    endif()
endfunction()

if(GLW_FUZZ)
    # Every library is instrumented for coverage and checked; fuzz targets add -fsanitize=fuzzer themselves.
    add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
elseif(GLW_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
endif()

# glw_library(NAME SOURCES ... [DEPS ...]): one static library per folder, headers found from src/.
function(glw_library name)
    cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
    add_library(${name} STATIC ${ARG_SOURCES})
    target_include_directories(${name} PUBLIC ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} PUBLIC ${ARG_DEPS})
    glw_target_options(${name})
endfunction()

# glw_interface_library(NAME [DEPS ...]): a folder of headers only (interfaces), headers found from src/.
function(glw_interface_library name)
    cmake_parse_arguments(ARG "" "" "DEPS" ${ARGN})
    add_library(${name} INTERFACE)
    target_include_directories(${name} INTERFACE ${PROJECT_SOURCE_DIR}/src)
    target_link_libraries(${name} INTERFACE ${ARG_DEPS})
endfunction()

# Programs and add-ins of the application folder travel to users' machines (the stubs inside every exported
# program): they carry no debug information, which names the build's folders and is most of their size. It
# is kept for developers in the application folder's .debug/, where gdb finds it by the program's debug
# link. Sanitizer and fuzz builds keep theirs in place for their reports.
set(GLW_STRIP_PROGRAMS_DEFAULT ON)
if(GLW_SANITIZE OR GLW_FUZZ)
    set(GLW_STRIP_PROGRAMS_DEFAULT OFF)
endif()
option(GLW_STRIP_PROGRAMS "Move the programs' debug information into app/.debug" ${GLW_STRIP_PROGRAMS_DEFAULT})

function(glw_strip_debug_info target)
    if(NOT GLW_STRIP_PROGRAMS OR NOT CMAKE_OBJCOPY)
        return()
    endif()
    set(debug "${GLW_APP_DIR}/.debug/$<TARGET_FILE_NAME:${target}>.debug")
    add_custom_command(TARGET ${target} POST_BUILD
        COMMAND ${CMAKE_COMMAND} -E make_directory ${GLW_APP_DIR}/.debug
        COMMAND ${CMAKE_OBJCOPY} --only-keep-debug $<TARGET_FILE:${target}> ${debug}
        COMMAND ${CMAKE_OBJCOPY} --strip-all --add-gnu-debuglink=${debug} $<TARGET_FILE:${target}>
        VERBATIM)
endfunction()

# glw_program(NAME OUTPUT file-name SOURCES ... DEPS ...): a program of the system, built into the
# application folder under the file name the system knows it by (glwbase.exe on Linux too).
function(glw_program name)
    cmake_parse_arguments(ARG "" "OUTPUT" "SOURCES;DEPS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_DEPS})
    glw_target_options(${name})
    if(ARG_OUTPUT)
        set_target_properties(${name} PROPERTIES OUTPUT_NAME ${ARG_OUTPUT})
    endif()
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${GLW_APP_DIR})
    glw_strip_debug_info(${name})
endfunction()

# glw_test(NAME SOURCES ... DEPS ...): a GoogleTest program registered with CTest.
function(glw_test name)
    cmake_parse_arguments(ARG "" "" "SOURCES;DEPS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_DEPS} GTest::gtest GTest::gtest_main GTest::gmock)
    target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
    target_compile_definitions(${name} PRIVATE
        GLW_SOURCE_DIR="${PROJECT_SOURCE_DIR}" GLW_APP_DIR="${GLW_APP_DIR}"
        GLW_BINARY_DIR="${CMAKE_BINARY_DIR}")
    glw_target_options(${name})
    gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST PROPERTIES TIMEOUT 300)
endfunction()

# glw_subdirectories(dir ...): adds each listed folder that has a CMakeLists.txt of its own.
# Folders named (relative to the top) in GLW_SKIP_DIRS are left out, for building part of the tree.
set(GLW_SKIP_DIRS "" CACHE STRING "Folders to leave out of the build, relative to the top")
macro(glw_subdirectories)
    foreach(dir ${ARGN})
        file(RELATIVE_PATH _glw_rel ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/${dir})
        if(_glw_rel IN_LIST GLW_SKIP_DIRS)
            message(STATUS "Leaving out ${_glw_rel}")
        elseif(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${dir}/CMakeLists.txt)
            add_subdirectory(${dir})
        endif()
    endforeach()
endmacro()
