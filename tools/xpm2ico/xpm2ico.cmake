# kadenzo_icon_from_xpm(XPM ICO): makes ICO from XPM at build time with
# xpm2ico, compiled for the build machine. In a cross build the target's
# compiler cannot make programs that run here, so the host's is used.
set(KADENZO_XPM2ICO_SOURCE ${CMAKE_CURRENT_LIST_DIR}/xpm2ico.cpp)

function(kadenzo_icon_from_xpm xpm ico)
  if(CMAKE_CROSSCOMPILING)
    find_program(KADENZO_HOST_CXX NAMES c++ g++ clang++ REQUIRED NO_CMAKE_FIND_ROOT_PATH)
    set(tool ${CMAKE_BINARY_DIR}/tools/xpm2ico/xpm2ico)
    add_custom_command(OUTPUT ${tool}
                       COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/tools/xpm2ico
                       COMMAND ${KADENZO_HOST_CXX} -std=c++20 -O2 -o ${tool} ${KADENZO_XPM2ICO_SOURCE}
                       DEPENDS ${KADENZO_XPM2ICO_SOURCE}
                       COMMENT "Building xpm2ico for the build machine"
                       VERBATIM)
    set(depend ${tool})
  else()
    if(NOT TARGET kadenzo_xpm2ico)
      add_executable(kadenzo_xpm2ico ${KADENZO_XPM2ICO_SOURCE})
      set_target_properties(kadenzo_xpm2ico PROPERTIES OUTPUT_NAME xpm2ico)
    endif()
    set(tool $<TARGET_FILE:kadenzo_xpm2ico>)
    set(depend kadenzo_xpm2ico)
  endif()
  add_custom_command(OUTPUT ${ico}
                     COMMAND ${tool} ${xpm} ${ico}
                     DEPENDS ${depend} ${xpm}
                     COMMENT "Making ${ico} from ${xpm}"
                     VERBATIM)
endfunction()
