# Hardening for Linux builds: fortified libc calls, a stack protector,
# position independent executables and relocations resolved at start and then
# made read-only (full RELRO). Included from the top directory before any
# target is defined, so that every target gets it.
#
# KADENZO_HARDENED_BINARIES names the targets whose binaries the "hardening"
# test inspects. Append to it in the top directory, or in a subdirectory with
#   list(APPEND KADENZO_HARDENED_BINARIES my-target)
#   set(KADENZO_HARDENED_BINARIES "${KADENZO_HARDENED_BINARIES}" PARENT_SCOPE)
# The test is added when the top directory is done, so the list may grow until
# then.

if(WIN32 OR NOT CMAKE_SYSTEM_NAME STREQUAL "Linux")
  return()
endif()

include(CheckPIESupported)
check_pie_supported(OUTPUT_VARIABLE kadenzo_pie_output LANGUAGES CXX)
if(CMAKE_CXX_LINK_PIE_SUPPORTED)
  # With policy CMP0083 this also links executables with -pie.
  set(CMAKE_POSITION_INDEPENDENT_CODE ON)
else()
  message(WARNING "The linker cannot make position independent executables: ${kadenzo_pie_output}")
endif()

add_compile_options(-fstack-protector-strong)
# _FORTIFY_SOURCE only works with the optimiser on, and some toolchains define
# their own level: replace it rather than redefine it.
set(kadenzo_optimised "$<CONFIG:Release,RelWithDebInfo,MinSizeRel>")
add_compile_options("$<${kadenzo_optimised}:-U_FORTIFY_SOURCE>" "$<${kadenzo_optimised}:-D_FORTIFY_SOURCE=2>")
add_link_options(LINKER:-z,relro,-z,now)

set(KADENZO_HARDENED_BINARIES "")

if(CMAKE_READELF)
  set(KADENZO_READELF "${CMAKE_READELF}" CACHE FILEPATH "readelf for the hardening test")
else()
  find_program(KADENZO_READELF readelf)
endif()

function(kadenzo_add_hardening_test)
  if(NOT KADENZO_BUILD_TESTS)
    return()
  endif()
  if(NOT KADENZO_READELF)
    message(WARNING "No readelf: the hardening test is left out")
    return()
  endif()
  set(binaries "")
  foreach(target IN LISTS KADENZO_HARDENED_BINARIES)
    if(TARGET ${target})
      list(APPEND binaries "$<TARGET_FILE:${target}>")
    else()
      message(WARNING "KADENZO_HARDENED_BINARIES names ${target}, which is not a target")
    endif()
  endforeach()
  if(binaries)
    add_test(NAME hardening COMMAND ${PROJECT_SOURCE_DIR}/tests/hardening/check_hardening.sh ${KADENZO_READELF}
                                    ${binaries})
    set_tests_properties(hardening PROPERTIES LABELS hardening)
  endif()
endfunction()
cmake_language(DEFER CALL kadenzo_add_hardening_test)
