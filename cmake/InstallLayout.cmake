# Where an installed ORVA keeps its files, relative to the installation prefix.
#   ORVA_INSTALL_BINDIR     orva-import
#   ORVA_INSTALL_PLUGINDIR  the plug-in library
#   ORVA_INSTALL_DOCDIR     READMEs, licence, release notes, examples
#   ORVA_INSTALL_GDAL_PLUGINDIR, ORVA_INSTALL_GDAL_DOCDIR  (Linux) the GDAL driver and its own
#                           documents, packaged apart as orva-gdal
#   ORVA_PLUGIN_DIR_FROM_PROGRAM  the plug-in's directory seen from the program's, compiled into
#                           orva-import so that an installed tree can be moved as a whole
#
# Windows: one folder, as unpacked from the ZIP, with the program beside the DLL. Linux: the GNU
# tree; the plug-in is loaded by path and never linked against, so it lives in a private directory
# of the library tree rather than on the linker's search path.
if(WIN32)
    set(ORVA_INSTALL_BINDIR .)
    set(ORVA_INSTALL_PLUGINDIR .)
    set(ORVA_INSTALL_DOCDIR .)
else()
    include(GNUInstallDirs)
    set(ORVA_INSTALL_BINDIR ${CMAKE_INSTALL_BINDIR})
    # Debian's multiarch directory whatever the prefix: GNUInstallDirs picks it only for the prefix
    # /usr, but a tree configured for /usr/local (the default) is packaged for /usr, and its
    # program must look where the package puts the plug-in.
    set(plugin_libdir ${CMAKE_INSTALL_LIBDIR})
    if(CMAKE_LIBRARY_ARCHITECTURE)
        set(plugin_libdir lib/${CMAKE_LIBRARY_ARCHITECTURE})
    endif()
    set(ORVA_INSTALL_PLUGINDIR ${plugin_libdir}/orva
        CACHE PATH "Directory of the plug-in library, relative to the prefix")
    set(ORVA_INSTALL_DOCDIR ${CMAKE_INSTALL_DOCDIR})
    # Debian's GDAL loads ogr_*.so from the folder it was built with, /usr/lib/<multiarch>/
    # gdalplugins, and from a <major>.<minor> folder inside it instead when there is one. Debian
    # ships none (gdal-plugins holds only drivers.ini there): creating it would hide every other
    # plug-in in the folder from GDAL, so the driver goes in the folder itself. Its libgdal
    # dependency keeps it to the GDAL whose C++ interface it was built with.
    set(ORVA_INSTALL_GDAL_PLUGINDIR ${plugin_libdir}/gdalplugins)
    set(ORVA_INSTALL_GDAL_DOCDIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/orva-gdal)
endif()

foreach(directory ORVA_INSTALL_BINDIR ORVA_INSTALL_PLUGINDIR ORVA_INSTALL_DOCDIR)
    if(IS_ABSOLUTE "${${directory}}")
        message(FATAL_ERROR "${directory} is ${${directory}}: it must be relative to the prefix, "
                            "or the installed program cannot find its plug-in after a move")
    endif()
endforeach()
file(RELATIVE_PATH ORVA_PLUGIN_DIR_FROM_PROGRAM /${ORVA_INSTALL_BINDIR} /${ORVA_INSTALL_PLUGINDIR})
