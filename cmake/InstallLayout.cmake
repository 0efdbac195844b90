# The installed layout: the program in bin, its data in share/tandor, the browser module in the
# library folder's tandor/. The program finds data and module relative to its own folder, so the
# relative paths from bin are compiled in; any prefix given at install time keeps them.
include(GNUInstallDirs)
foreach(dir BINDIR DATADIR LIBDIR)
  if(IS_ABSOLUTE "${CMAKE_INSTALL_${dir}}")
    message(FATAL_ERROR "CMAKE_INSTALL_${dir} must be relative to the prefix: the installed program finds its files from its own folder")
  endif()
endforeach()
set(TANDOR_INSTALL_DATADIR ${CMAKE_INSTALL_DATADIR}/tandor)
set(TANDOR_INSTALL_MODULEDIR ${CMAKE_INSTALL_LIBDIR}/tandor)
# Debian's documentation folder is named after the package, not the project.
set(TANDOR_INSTALL_DOCDIR ${CMAKE_INSTALL_DATADIR}/doc/tandor)
file(RELATIVE_PATH TANDOR_DATA_FROM_BINDIR ${CMAKE_INSTALL_FULL_BINDIR}
  ${CMAKE_INSTALL_PREFIX}/${TANDOR_INSTALL_DATADIR})
file(RELATIVE_PATH TANDOR_MODULE_FROM_BINDIR ${CMAKE_INSTALL_FULL_BINDIR}
  ${CMAKE_INSTALL_PREFIX}/${TANDOR_INSTALL_MODULEDIR})
