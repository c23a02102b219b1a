# The installation layout and the files the program reads at run time.
#
# Programs: every target named in SKYGLASS_INSTALL_PROGRAMS that exists goes
# to bin/; a new program joins by adding its name to that list. Modules
# (SKYGLASS_INSTALL_MODULES) go to SKYGLASS_MODULE_DIR.
#
# Data: skyglass_data(DESTINATION <folder> FILES <files>...) puts files under
# share/skyglass/<folder>, both installed and copied into the build tree's
# share/skyglass at build time, so the program finds them beside its
# executable in either place (sky::FindDataFile, common/data_files.h).
# Relative file names are taken from the calling folder and keep their
# sub-folders; absolute ones (generated files) keep only their name.
include(GNUInstallDirs)

# The one application id: desktop file, metainfo, icon name, desktop file name.
set(SKYGLASS_APP_ID com.corvantis.Skyglass)

set(SKYGLASS_INSTALL_PROGRAMS skyglass skyglass-cli skyglass-sample-server skyglass-gateway)
# Modules the programs load when first needed (as the print module): to the
# package's private library folder (multiarch where the system has it, which
# also keeps them out of ldconfig's folders), found from the programs' folder
# at ../SKYGLASS_MODULE_DIR.
set(SKYGLASS_INSTALL_MODULES skyglass-print)
if(CMAKE_LIBRARY_ARCHITECTURE)
  set(SKYGLASS_MODULE_DIR lib/${CMAKE_LIBRARY_ARCHITECTURE}/skyglass)
else()
  set(SKYGLASS_MODULE_DIR lib/skyglass)
endif()
set(SKYGLASS_DATA_DIR_NAME skyglass)
set(SKYGLASS_BUILD_DATA_DIR ${CMAKE_BINARY_DIR}/${CMAKE_INSTALL_DATADIR}/${SKYGLASS_DATA_DIR_NAME})
# The programs look for it at ../share/skyglass from their own folder.
if(NOT CMAKE_INSTALL_BINDIR STREQUAL "bin" OR NOT CMAKE_INSTALL_DATADIR STREQUAL "share")
  message(FATAL_ERROR "The programs expect bin/ and share/ side by side under the prefix")
endif()

# Everything staged by skyglass_data; the core library depends on it, so
# whatever links the core finds its data in the build tree.
add_custom_target(skyglass_data_files ALL)

function(skyglass_data)
  cmake_parse_arguments(D "" "DESTINATION" "FILES" ${ARGN})
  set(outputs)
  foreach(f ${D_FILES})
    if(IS_ABSOLUTE ${f})
      set(src ${f})
      get_filename_component(rel ${f} NAME)
    else()
      set(src ${CMAKE_CURRENT_SOURCE_DIR}/${f})
      set(rel ${f})
    endif()
    set(dest ${D_DESTINATION})
    get_filename_component(sub ${rel} DIRECTORY)
    if(sub)
      set(dest ${dest}/${sub})
    endif()
    set(out ${SKYGLASS_BUILD_DATA_DIR}/${D_DESTINATION}/${rel})
    add_custom_command(OUTPUT ${out}
      COMMAND ${CMAKE_COMMAND} -E copy_if_different ${src} ${out}
      DEPENDS ${src} VERBATIM)
    list(APPEND outputs ${out})
    install(FILES ${src} DESTINATION ${CMAKE_INSTALL_DATADIR}/${SKYGLASS_DATA_DIR_NAME}/${dest})
  endforeach()
  get_property(n GLOBAL PROPERTY SKYGLASS_DATA_CALLS)
  if(NOT n)
    set(n 0)
  endif()
  math(EXPR n "${n} + 1")
  set_property(GLOBAL PROPERTY SKYGLASS_DATA_CALLS ${n})
  set(target skyglass_data_${n})
  add_custom_target(${target} DEPENDS ${outputs})
  add_dependencies(skyglass_data_files ${target})
endfunction()

# Called once every folder has defined its targets. The target
# skyglass_installed builds everything that gets installed (for cpack).
function(skyglass_install_programs)
  add_custom_target(skyglass_installed)
  add_dependencies(skyglass_installed skyglass_data_files)
  foreach(t ${SKYGLASS_INSTALL_PROGRAMS})
    if(TARGET ${t})
      install(TARGETS ${t} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
      add_dependencies(skyglass_installed ${t})
    endif()
  endforeach()
  foreach(t ${SKYGLASS_INSTALL_MODULES})
    if(TARGET ${t})
      install(TARGETS ${t} LIBRARY DESTINATION ${SKYGLASS_MODULE_DIR})
      add_dependencies(skyglass_installed ${t})
    endif()
  endforeach()
endfunction()
