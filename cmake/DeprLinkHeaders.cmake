# deprlink_headers(<target> [PUBLIC <header>...] [PRIVATE <header>...]
#                  [EXCLUDE <header>...])
#
# Every header is included as "<folder>/<Header>.h" from the source root,
# but the source root itself is on no library's include path: a library
# that did export it would hand every header of every layer to whoever
# links it.  Instead each library gets two folders of the build tree that
# hold links to its own headers under their "<folder>/" names:
#
#   include/public/<target>   exported: its public headers
#   include/private/<target>  its own sources only: the internal headers
#
# so a source reaches the public headers of the libraries it links and the
# internal headers of its own library, nothing else.
#
# PUBLIC names the public headers; without it they are every *.h of the
# calling folder less the PRIVATE and EXCLUDE ones (EXCLUDE: headers of
# another library made in the same folder), so a new header is public until
# it is declared otherwise.
function(deprlink_headers target)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "PUBLIC;PRIVATE;EXCLUDE")
  if(NOT DEFINED arg_PUBLIC)
    file(GLOB arg_PUBLIC RELATIVE ${CMAKE_CURRENT_SOURCE_DIR} CONFIGURE_DEPENDS
      ${CMAKE_CURRENT_SOURCE_DIR}/*.h)
    if(arg_PRIVATE OR arg_EXCLUDE)
      list(REMOVE_ITEM arg_PUBLIC ${arg_PRIVATE} ${arg_EXCLUDE})
    endif()
  endif()
  file(RELATIVE_PATH folder ${PROJECT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR})
  get_target_property(type ${target} TYPE)
  foreach(scope PUBLIC PRIVATE)
    string(TOLOWER ${scope} kind)
    set(root ${PROJECT_BINARY_DIR}/include/${kind}/${target})
    # Rebuilt at every configure: a header taken off a list must not stay
    # reachable through a link left from before.
    file(REMOVE_RECURSE ${root})
    if(NOT arg_${scope})
      continue()
    endif()
    file(MAKE_DIRECTORY ${root}/${folder})
    foreach(header IN LISTS arg_${scope})
      if(NOT EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${header})
        message(FATAL_ERROR "${target}: no header ${folder}/${header}")
      endif()
      file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR}/${header} ${root}/${folder}/${header} SYMBOLIC)
    endforeach()
    if(type STREQUAL "INTERFACE_LIBRARY")
      if(scope STREQUAL "PUBLIC")
        target_include_directories(${target} INTERFACE ${root})
      endif()
    else()
      target_include_directories(${target} ${scope} ${root})
    endif()
  endforeach()
endfunction()
