# libsodium, for the strong document format, as the target tolvane_sodium.
# Natively it is the system's (pkg-config); the mingw-w64 build links the
# static library that tools/setup.sh builds into build/deps/libsodium-mingw;
# with Visual Studio, point SODIUM_ROOT at a static build of it.
add_library(tolvane_sodium INTERFACE)
if(WIN32)
  if(CMAKE_CROSSCOMPILING AND NOT MSVC)
    set(TOLVANE_SODIUM_PREFIX "${PROJECT_SOURCE_DIR}/build/deps/libsodium-mingw"
        CACHE PATH "Where tools/setup.sh installed the static libsodium for mingw-w64")
    set(sodium_include "${TOLVANE_SODIUM_PREFIX}/include")
    set(sodium_library "${TOLVANE_SODIUM_PREFIX}/lib/libsodium.a")
    if(NOT EXISTS "${sodium_library}")
      message(FATAL_ERROR "No libsodium for mingw-w64 in ${TOLVANE_SODIUM_PREFIX}: run tools/setup.sh")
    endif()
  else()
    find_path(sodium_include sodium.h HINTS "${SODIUM_ROOT}/include" REQUIRED)
    find_library(sodium_library NAMES libsodium.a libsodium sodium HINTS "${SODIUM_ROOT}/lib" REQUIRED)
  endif()
  target_include_directories(tolvane_sodium SYSTEM INTERFACE "${sodium_include}")
  target_link_libraries(tolvane_sodium INTERFACE "${sodium_library}" advapi32)
  target_compile_definitions(tolvane_sodium INTERFACE SODIUM_STATIC)
else()
  find_package(PkgConfig REQUIRED)
  pkg_check_modules(SODIUM REQUIRED IMPORTED_TARGET libsodium)
  target_link_libraries(tolvane_sodium INTERFACE PkgConfig::SODIUM)
endif()
