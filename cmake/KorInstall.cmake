# How our targets are versioned, find one another and are installed.

# kor_include_root(VAR NAME ITEM...): an include root of its own below the build folder that
# holds the given folders or files of the source tree (as links) and nothing else; VAR names it.
# A file that includes something outside these items fails to compile.
function(kor_include_root var name)
  set(root ${CMAKE_BINARY_DIR}/include/${name})
  file(REMOVE_RECURSE ${root})
  foreach(item ${ARGN})
    get_filename_component(parent ${root}/${item} DIRECTORY)
    file(MAKE_DIRECTORY ${parent})
    file(CREATE_LINK ${PROJECT_SOURCE_DIR}/${item} ${root}/${item} SYMBOLIC)
  endforeach()
  set(${var} ${root} PARENT_SCOPE)
endfunction()

# A shared library of ours that programs link: libNAME.so.1 in lib/korcad, found by its users
# through their RUNPATH, its own dependencies beside it.
function(kor_library target)
  set_target_properties(${target} PROPERTIES
    VERSION ${PROJECT_VERSION} SOVERSION ${PROJECT_VERSION_MAJOR}
    INSTALL_RPATH "$ORIGIN")
  install(TARGETS ${target} LIBRARY DESTINATION ${KOR_PKGLIBDIR} NAMELINK_SKIP)
endfunction()

# A plug-in korcad loads by name ((arxload "korDialog")): NAME.so, without "lib", with its
# versioned file behind the name.
function(kor_plugin target)
  set_target_properties(${target} PROPERTIES PREFIX ""
    VERSION ${PROJECT_VERSION} SOVERSION ${PROJECT_VERSION_MAJOR}
    INSTALL_RPATH "$ORIGIN")
  install(TARGETS ${target} LIBRARY DESTINATION ${KOR_PKGLIBDIR})
endfunction()

# A program a person runs: bin/NAME, finding our libraries relative to itself.
function(kor_program target)
  set_target_properties(${target} PROPERTIES INSTALL_RPATH "$ORIGIN/${KOR_PKGLIBDIR_FROM_BIN}")
  install(TARGETS ${target} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endfunction()
