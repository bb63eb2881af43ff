# The Debian package: `make package` configures the `package` preset (Release, under /usr)
# and runs CPack's DEB generator here. What only the package holds (the service's own user,
# man pages, the Debian documents) is added to the staged tree by packaging/deb/stage.cmake.

set(QUILLORY_PACKAGE_MAINTAINER
    "Quillory maintainers <maintainers@users.noreply.c-seed-7179ff24.example>"
    CACHE STRING "The Maintainer field of the Debian package")

# The AppStream description of the window, beside its desktop entry.
install(FILES ${CMAKE_SOURCE_DIR}/packaging/org.quillory.Quillory.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quillory)
set(CPACK_PACKAGE_VENDOR Quillory)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT ${QUILLORY_PACKAGE_MAINTAINER})
# The unit's destination is absolute (it names the prefix itself); DESTDIR keeps it staged.
set(CPACK_SET_DESTDIR ON)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "desktop text recognition for Chinese and English pictures")
# The long description; CPack puts the summary above it.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Quillory reads the text in a picture. Pick a picture file or paste the web
address of a picture and the recognised lines appear beside it, each with its
box over the place where it was found.

The package holds the window (quillory), the recognition service ocrgated,
which reads with PP-OCR networks on OpenCV and falls back to Tesseract, the
PP-OCR models it reads with, and quillory-ocr, which recognises pictures,
folders and PDF files from the command line. The service's systemd unit is
installed but not enabled; without it the window starts a service of its own.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION graphics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${QUILLORY_PACKAGE_MAINTAINER})
# Libraries come from dpkg-shlibdeps; the rest is what the programs load by name: the
# Tesseract languages the service reads by default, a CJK font for the window's Chinese
# texts, Qt's own texts in Chinese, the searchable PDF's text font, adduser for the
# service's user.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "adduser, tesseract-ocr-chi-sim, tesseract-ocr-eng, qt6-translations-l10n, fonts-noto-cjk | fonts-wqy-microhei | fonts-wqy-zenhei, fonts-droid-fallback")
# TIFF and WebP pictures in the window; the REST endpoints' other languages; more for
# `ocrgated --languages`.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "qt6-image-formats-plugins, tesseract-ocr-jpn, tesseract-ocr-kor, tesseract-ocr-fra, tesseract-ocr-spa, tesseract-ocr-por, tesseract-ocr-deu, tesseract-ocr-ita, tesseract-ocr-rus, tesseract-ocr-chi-tra")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS tesseract-ocr-all)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    ${CMAKE_SOURCE_DIR}/packaging/deb/postinst
    ${CMAKE_SOURCE_DIR}/packaging/deb/prerm
    ${CMAKE_SOURCE_DIR}/packaging/deb/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_SOURCE_DIR}/packaging/deb/stage.cmake)
# Read by stage.cmake, which runs inside CPack.
set(CPACK_QUILLORY_SOURCE_DIR ${CMAKE_SOURCE_DIR})
set(CPACK_QUILLORY_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_QUILLORY_SBINDIR ${CMAKE_INSTALL_FULL_SBINDIR})
set(CPACK_QUILLORY_BINDIR ${CMAKE_INSTALL_FULL_BINDIR})
set(CPACK_QUILLORY_LIBEXECDIR ${CMAKE_INSTALL_FULL_LIBEXECDIR})
set(CPACK_QUILLORY_DATADIR ${CMAKE_INSTALL_FULL_DATADIR})

include(CPack)
