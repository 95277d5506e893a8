# orv_library(<Name> SOURCES <action sources>...)
#
# One custom-action library from its folder: the actions as a static library over the frame,
# and the table built from the folder's strings.inc and exports.inc. On Windows this becomes
# <Name>.dll with the folder's <Name>.def, a STRINGTABLE and a VERSIONINFO; natively it is
# <Name>_actions, which the unit tests link with the simulated machine.
function(orv_library name)
  cmake_parse_arguments(ARG "" "" "SOURCES" ${ARGN})
  set_property(GLOBAL APPEND PROPERTY ORV_LIBRARIES ${name})
  set(ORV_LIBRARY ${name})
  # The generated table joins the library's own namespace, the folder's name.
  string(TOLOWER ${name} ORV_NAMESPACE)
  set(ORV_SOURCE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
  set(generated ${CMAKE_CURRENT_BINARY_DIR}/generated)
  configure_file(${PROJECT_SOURCE_DIR}/frame/library.h.in ${generated}/${name}_library.h @ONLY)
  configure_file(${PROJECT_SOURCE_DIR}/frame/library.cpp.in ${generated}/${name}_library.cpp @ONLY)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS
               ${CMAKE_CURRENT_SOURCE_DIR}/strings.inc ${CMAKE_CURRENT_SOURCE_DIR}/exports.inc)

  add_library(${name}_actions STATIC ${ARG_SOURCES} ${generated}/${name}_library.cpp)
  target_include_directories(${name}_actions PUBLIC ${generated})
  target_link_libraries(${name}_actions PUBLIC orv_frame)

  if(WIN32)
    configure_file(${PROJECT_SOURCE_DIR}/frame/library.rc.in ${generated}/${name}.rc @ONLY)
    # windres writes no dependency file, so the texts it includes are named here: without this, a
    # changed strings.inc leaves the DLL with its old STRINGTABLE.
    set_source_files_properties(${generated}/${name}.rc PROPERTIES OBJECT_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/strings.inc)
    # The exports live in the generated table source; linking it whole keeps them.
    add_library(${name} SHARED ${generated}/${name}.rc ${CMAKE_CURRENT_SOURCE_DIR}/${name}.def)
    target_link_libraries(${name} PRIVATE orv_dll_runtime -Wl,--whole-archive ${name}_actions -Wl,--no-whole-archive
                          orv_frame_win32 orv_frame msi user32 advapi32 shell32 version)
    set_target_properties(${name} PROPERTIES PREFIX "" OUTPUT_NAME ${name})
    # Stand alone on any Windows: no runtime DLL beside it, plain export names.
    target_link_options(${name} PRIVATE -static -static-libgcc -static-libstdc++ -s -Wl,--gc-sections
                        -Wl,--enable-stdcall-fixup)
  endif()
endfunction()
