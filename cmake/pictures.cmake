# Renders each picture of src/resources/NAME.svg to NAME-SIZE.png at the sizes given, and
# puts the PNGs into the target's resources under :/pictures/.
#   calvorigne_pictures(target name size... name size...)
find_program(RSVG_CONVERT rsvg-convert REQUIRED)

function(calvorigne_pictures target)
  set(out "${CMAKE_CURRENT_BINARY_DIR}/pictures")
  file(MAKE_DIRECTORY "${out}")
  set(files "")
  foreach(item IN LISTS ARGN)
    if(NOT item MATCHES "^[0-9]+$")
      set(name "${item}")
      continue()
    endif()
    set(svg "${CMAKE_CURRENT_SOURCE_DIR}/src/resources/${name}.svg")
    set(png "${out}/${name}-${item}.png")
    add_custom_command(OUTPUT "${png}"
      COMMAND "${RSVG_CONVERT}" -w ${item} -h ${item} -o "${png}" "${svg}"
      DEPENDS "${svg}" VERBATIM)
    list(APPEND files "${png}")
  endforeach()
  qt_add_resources(${target} pictures PREFIX "/pictures" BASE "${out}" FILES ${files})
endfunction()
