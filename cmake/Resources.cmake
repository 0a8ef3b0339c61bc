# Resource scripts: compiled by llvm-rc (with clang as its preprocessor) into a .res image,
# which is embedded in a target and registers itself at start-up.
find_program(LLVM_RC NAMES llvm-rc llvm-rc-14 REQUIRED)

# dovemark_add_resources(<target> <script.rc> [INCLUDE_DIRS dir...] [DEPENDS file...])
# Add it to an executable (or an object that the executable surely links): the generated
# source registers the image from a static initialiser. Each script is compiled once for every target that takes
# it; the image goes into the program by the assembler's .incbin, so no target compiles it as source text.
function(dovemark_add_resources target rc)
  cmake_parse_arguments(ARG "" "" "INCLUDE_DIRS;DEPENDS" ${ARGN})
  get_filename_component(name ${rc} NAME_WE)
  get_filename_component(rc_dir ${rc} DIRECTORY)
  get_filename_component(rc_file ${rc} NAME)
  string(MAKE_C_IDENTIFIER "${name}" sym)
  set(res_dir ${PROJECT_BINARY_DIR}/resources)
  set(res ${res_dir}/${name}.res)
  set(res_target dovemark_res_${sym})
  if(NOT TARGET ${res_target})
    set(includes -I ${PROJECT_SOURCE_DIR}/platform/win32/rc -I ${rc_dir})
    foreach(dir ${ARG_INCLUDE_DIRS})
      list(APPEND includes -I ${dir})
    endforeach()
    add_custom_command(
      OUTPUT ${res}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${res_dir}
      # The script is named relative to its folder: the tool reads an absolute path that
      # begins like one of its slash options (/c..., /d..., /i...) as that option.
      COMMAND ${LLVM_RC} -c 65001 ${includes} -fo ${res} ${rc_file}
      DEPENDS ${rc} ${ARG_DEPENDS} ${PROJECT_SOURCE_DIR}/platform/win32/rc/dovemark_rc.h
      WORKING_DIRECTORY ${rc_dir}
      COMMENT "Compiling resources ${name}.rc"
      VERBATIM)
    add_custom_target(${res_target} DEPENDS ${res})
  endif()
  # The source names the image's digest, so a compiler cache never hands back an object of an older image.
  set(cpp ${CMAKE_CURRENT_BINARY_DIR}/resources/${target}/${name}_res.cpp)
  add_custom_command(
    OUTPUT ${cpp}
    COMMAND ${CMAKE_COMMAND} -DIN=${res} -DOUT=${cpp} -DSYMBOL=${sym} -P ${PROJECT_SOURCE_DIR}/cmake/EmbedRes.cmake
    DEPENDS ${res} ${PROJECT_SOURCE_DIR}/cmake/EmbedRes.cmake
    VERBATIM)
  add_dependencies(${target} ${res_target})
  target_sources(${target} PRIVATE ${cpp})
  set_source_files_properties(${cpp} TARGET_DIRECTORY ${target} PROPERTIES OBJECT_DEPENDS ${res})
endfunction()

# The toolkit's own resources (res/toolkit/): every executable that runs toolkit code takes them.
function(dovemark_add_toolkit_resources target)
  set(dir ${PROJECT_SOURCE_DIR}/res/toolkit)
  dovemark_add_resources(${target} ${dir}/toolkit.rc
    DEPENDS ${dir}/caption_buttons.bmp ${dir}/header_menu.bmp ${dir}/hand.cur ${dir}/width_drag.cur
            ${dir}/expand_normal.bmp ${dir}/expand_special.bmp
            ${dir}/window_commands.bmp ${dir}/stock_images.bmp ${dir}/editor_tools.bmp ${dir}/editor_tools32.bmp
            ${dir}/drag_copy.cur ${dir}/drag_move.cur ${dir}/drag_none.cur ${dir}/edit_cross.cur ${dir}/edit_pick.cur
            ${dir}/edit_fill.cur ${dir}/edit_pencil.cur
            ${dir}/split_horizontal.cur ${dir}/split_vertical.cur ${dir}/guide_compass.bmp ${dir}/guide_arrows.bmp
            ${dir}/guide_arrows_olive.bmp ${dir}/guide_arrows_silver.bmp ${dir}/guide_pieces.bmp)
endfunction()

# The application controls' own resources (res/controls/: pictures, cursors, sound, captions), and
# their ids header for the code that names them.
function(dovemark_add_controls_resources target)
  set(dir ${PROJECT_SOURCE_DIR}/res/controls)
  file(GLOB art CONFIGURE_DEPENDS ${dir}/*.bmp ${dir}/*.ico ${dir}/*.cur ${dir}/*.wav)
  dovemark_add_resources(${target} ${dir}/controls.rc DEPENDS ${art} ${dir}/controls_res.h)
  target_include_directories(${target} PRIVATE ${dir})
endfunction()

# The wizard's first pages' resources (res/app/wizard_front.rc: pictures, drive icons, cursor, dialogs).
function(dovemark_add_wizard_front_resources target)
  set(dir ${PROJECT_SOURCE_DIR}/res/app)
  file(GLOB art CONFIGURE_DEPENDS ${dir}/*.bmp ${dir}/*.ico ${dir}/*.cur)
  dovemark_add_resources(${target} ${dir}/wizard_front.rc DEPENDS ${art} ${dir}/wizard_front_res.h)
endfunction()

# The preview's own resources (res/preview/: the no-preview and too-large pictures, the archive list's
# header icons), and their ids
# header for the code that names them.
function(dovemark_add_preview_resources target)
  set(dir ${PROJECT_SOURCE_DIR}/res/preview)
  file(GLOB art CONFIGURE_DEPENDS ${dir}/*.bmp ${dir}/*.ico)
  dovemark_add_resources(${target} ${dir}/preview.rc DEPENDS ${art} ${dir}/preview_res.h)
endfunction()

# The application shell's resources (res/app/: the frame's menu, keys, tool bar and icons, the dialogs
# and the strings), with the scripts of the pages that app.rc includes, and the ids headers for the
# code that names them. Programs that run the application's code take the controls' and the
# toolkit's resources too.
function(dovemark_add_app_resources target)
  set(dir ${PROJECT_SOURCE_DIR}/res/app)
  file(GLOB art CONFIGURE_DEPENDS ${dir}/*.bmp ${dir}/*.ico ${dir}/*.cur ${dir}/*.wav ${dir}/*.rc ${dir}/*.h
       ${dir}/results/*)
  dovemark_add_resources(${target} ${dir}/app.rc INCLUDE_DIRS ${PROJECT_SOURCE_DIR}/platform/afx DEPENDS ${art})
  target_include_directories(${target} PRIVATE ${dir})
endfunction()
