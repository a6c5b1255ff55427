# The crash reporter's map information, made from a linked image and embedded
# into it after the link (tools/map_resource). The tool then checks the
# finished image against the map, so a build whose code moved fails here.
find_package(Python3 COMPONENTS Interpreter REQUIRED)
set(RAVELIN_MAP_TOOL ${CMAKE_SOURCE_DIR}/tools/map_resource/make_map_resource.py)

function(ravelin_embed_map target)
  if(NOT WIN32)
    return()
  endif()
  add_custom_command(TARGET ${target} POST_BUILD
    COMMAND Python3::Interpreter ${RAVELIN_MAP_TOOL} $<TARGET_FILE:${target}>
            --nm ${CMAKE_NM} --objdump ${CMAKE_OBJDUMP} --addr2line ${CMAKE_ADDR2LINE}
    COMMENT "Embedding and checking the map information of ${target}"
    VERBATIM)
  # A change of the tool makes and checks the map again.
  set_property(TARGET ${target} APPEND PROPERTY LINK_DEPENDS
    ${RAVELIN_MAP_TOOL} ${CMAKE_SOURCE_DIR}/tools/map_resource/pe_image.py
    ${CMAKE_SOURCE_DIR}/tools/map_resource/calibration.py)
endfunction()
