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
