# The hardware AES path is the only file built with the AES instruction set;
# CPUID decides at run time whether it is used.  MSVC needs no flag for the
# intrinsics.  Included from orka/CMakeLists.txt, so this is orka's directory.
if(NOT MSVC AND CMAKE_SYSTEM_PROCESSOR MATCHES "^(x86_64|AMD64|amd64|i[3-6]86|x86)$")
  set_source_files_properties("${CMAKE_CURRENT_LIST_DIR}/rijndael_aesni.cpp"
    TARGET_DIRECTORY orka
    PROPERTIES COMPILE_OPTIONS "-maes;-msse4.1")
endif()
