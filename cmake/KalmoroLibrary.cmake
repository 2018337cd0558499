# A library's public headers are its interface: they are linked into an include folder of the library's
# own in the build tree (include/<target>/<folder>/<header>), and that folder is the only include path the
# library gives its users. A header not named here stays private to its folder: its own sources include
# it by its bare name.
function(kalmoro_public_headers target folder)
  set(dir ${CMAKE_BINARY_DIR}/include/${target})
  file(REMOVE_RECURSE ${dir})
  file(MAKE_DIRECTORY ${dir}/${folder})
  foreach(header IN LISTS ARGN)
    get_filename_component(name ${header} NAME)
    file(CREATE_LINK ${CMAKE_CURRENT_SOURCE_DIR}/${header} ${dir}/${folder}/${name} SYMBOLIC COPY_ON_ERROR)
  endforeach()
  target_include_directories(${target} PUBLIC ${dir})
endfunction()
