# kadenzo_icon_tool(TOOL DEPENDS): the command that runs kadenzo-icon on the
# build machine, and what a custom command using it depends on. A native
# build has the target from tools/icons; in a cross build (Windows, the
# browser) the target's compiler cannot make programs that run here, so the
# host's compiles the tool, which needs only the standard library and zlib.
set(KADENZO_ICON_SOURCES ${CMAKE_CURRENT_LIST_DIR}/main.cpp ${CMAKE_CURRENT_LIST_DIR}/xpm.cpp
                         ${CMAKE_CURRENT_LIST_DIR}/icon_files.cpp)

function(kadenzo_icon_tool tool_var depends_var)
  if(NOT CMAKE_CROSSCOMPILING)
    set(${tool_var} $<TARGET_FILE:kadenzo-icon> PARENT_SCOPE)
    set(${depends_var} kadenzo-icon PARENT_SCOPE)
    return()
  endif()
  set(tool ${CMAKE_BINARY_DIR}/tools/icons/kadenzo-icon)
  get_property(defined GLOBAL PROPERTY KADENZO_HOST_ICON_TOOL)
  if(NOT defined)
    find_program(KADENZO_HOST_CXX NAMES c++ g++ clang++ REQUIRED NO_CMAKE_FIND_ROOT_PATH)
    add_custom_command(OUTPUT ${tool}
                       COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/tools/icons
                       COMMAND ${KADENZO_HOST_CXX} -std=c++20 -O2 -I${PROJECT_SOURCE_DIR} -o ${tool}
                               ${KADENZO_ICON_SOURCES} -lz
                       DEPENDS ${KADENZO_ICON_SOURCES} ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/xpm.h
                               ${CMAKE_CURRENT_FUNCTION_LIST_DIR}/icon_files.h
                       COMMENT "Building kadenzo-icon for the build machine"
                       VERBATIM)
    add_custom_target(kadenzo_host_icon_tool DEPENDS ${tool})
    set_property(GLOBAL PROPERTY KADENZO_HOST_ICON_TOOL TRUE)
  endif()
  set(${tool_var} ${tool} PARENT_SCOPE)
  set(${depends_var} kadenzo_host_icon_tool ${tool} PARENT_SCOPE)
endfunction()
