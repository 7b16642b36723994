# SPDX-License-Identifier: GPL-3.0-or-later
# `cpack -G DEB` in a build folder: vendrix_<version>_amd64.deb from the
# install rules, its shared-library dependencies computed by dpkg-shlibdeps.
set(CPACK_PACKAGE_NAME vendrix)
set(CPACK_PACKAGE_VENDOR "The Vendrix developers")
set(CPACK_PACKAGE_CONTACT "The Vendrix developers <vendrix@users.noreply.github.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
set(CPACK_PACKAGE_DESCRIPTION "Vendrix is a small desktop alarm clock: a big clock, the next alarm,
a master switch (snooze, ring once, silent) and twenty alarms that ring every
day, on chosen weekdays or on one date every year. An alarm sounds the
standard alarm, plays a WAV file once or looped, or launches a program or
document. Minimised, it waits in the notification area; an alarm ringing
there can be stopped from its desktop notification.")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# What the shared libraries do not say: the opener of documents and URLs,
# and setcap. Sound needs no media framework: libsndfile and libpulse are
# found by dpkg-shlibdeps.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "xdg-utils, libcap2-bin")
# vendrix-wake gets the one capability that wakes the computer (setcap).
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/resources/postinst)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "fonts-ipafont-gothic, fonts-ipafont-mincho, qt6-translations-l10n, qt6-wayland")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://github.com/vendrix/vendrix")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
include(CPack)
