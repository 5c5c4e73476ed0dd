# Compiler settings shared by every target of the project.

add_library(tolvane_options INTERFACE)

if(MSVC)
  target_compile_options(tolvane_options INTERFACE /W4 /utf-8 /permissive- /EHsc)
  target_compile_definitions(tolvane_options INTERFACE
    _CRT_SECURE_NO_WARNINGS UNICODE _UNICODE NOMINMAX WIN32_LEAN_AND_MEAN)
else()
  target_compile_options(tolvane_options INTERFACE
    -Wall -Wextra -Wno-unused-parameter -finput-charset=UTF-8 -fexec-charset=UTF-8)
  if(WIN32)
    target_compile_definitions(tolvane_options INTERFACE
      UNICODE _UNICODE NOMINMAX WIN32_LEAN_AND_MEAN _WIN32_WINNT=0x0601)
  endif()
endif()

if(TOLVANE_SANITIZE AND NOT WIN32 AND NOT MSVC)
  target_compile_options(tolvane_options INTERFACE
    -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  target_link_options(tolvane_options INTERFACE -fsanitize=address,undefined)
endif()

# libFuzzer's coverage instrumentation on everything; the fuzz programs
# themselves add libFuzzer's main.
if(TOLVANE_FUZZ)
  target_compile_options(tolvane_options INTERFACE
    -fsanitize=fuzzer-no-link,address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
  target_link_options(tolvane_options INTERFACE -fsanitize=address,undefined)
endif()

# Windows programs are linked statically so that they need no mingw DLLs.
if(WIN32 AND NOT MSVC)
  target_link_options(tolvane_options INTERFACE -static -static-libgcc -static-libstdc++)
endif()

# Reproducible Windows programs: the same sources give the same bytes in any
# folder.  Paths in the programs (assertion texts) are written relative to
# the source and build trees, and the linker leaves the PE time stamp at 0.
if(WIN32 AND NOT MSVC)
  target_compile_options(tolvane_options INTERFACE
    "-ffile-prefix-map=${PROJECT_SOURCE_DIR}=." "-ffile-prefix-map=${PROJECT_BINARY_DIR}=build")
  target_link_options(tolvane_options INTERFACE -Wl,--no-insert-timestamp)
endif()

# The time that the packages and the manual record for their files:
# SOURCE_DATE_EPOCH when set, else the time of the checked-out commit, else
# 1980-01-01 (the earliest time a zip file can hold).
if(DEFINED ENV{SOURCE_DATE_EPOCH})
  set(TOLVANE_SOURCE_DATE_EPOCH "$ENV{SOURCE_DATE_EPOCH}")
else()
  execute_process(COMMAND git log -1 --format=%ct WORKING_DIRECTORY "${PROJECT_SOURCE_DIR}"
                  OUTPUT_VARIABLE TOLVANE_SOURCE_DATE_EPOCH OUTPUT_STRIP_TRAILING_WHITESPACE
                  ERROR_QUIET RESULT_VARIABLE git_failed)
  if(git_failed OR NOT TOLVANE_SOURCE_DATE_EPOCH MATCHES "^[0-9]+$")
    set(TOLVANE_SOURCE_DATE_EPOCH 315532800)
  endif()
endif()
