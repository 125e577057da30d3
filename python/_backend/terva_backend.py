"""The build backend of the Python package terva: setuptools' own, made to
work without a network on Debian.

pip builds in an isolated environment that hides the system's module folders,
so that setuptools and wheel, installed by Debian (python3-setuptools,
python3-wheel), cannot be imported there and pip would fetch them from the
package index.  Where they cannot be imported, the base interpreter's module
folder that holds both (Debian's /usr/lib/python3/dist-packages) is added to
the end of the path; when both can then be imported, nothing more is asked
for.  Elsewhere (a Python without Debian's packages) the usual requirements
are returned and pip installs them.
"""
import os
import sys

_REQUIRES = ["setuptools>=61", "wheel"]


def _importable(name):
    import importlib.util

    try:
        return importlib.util.find_spec(name) is not None
    except (ImportError, ValueError):
        return False


def _have_tools():
    return _importable("setuptools") and _importable("wheel")


def _system_folders():
    """The base interpreter's module folders: Debian's dist-packages, then the
    plain site-packages of other systems."""
    version = "python%d.%d" % sys.version_info[:2]
    for prefix in dict.fromkeys((sys.base_prefix, sys.base_exec_prefix)):
        yield os.path.join(prefix, "lib", "python3", "dist-packages")
        yield os.path.join(prefix, "lib", version, "dist-packages")
        yield os.path.join(prefix, "lib", version, "site-packages")


if not _have_tools():
    for folder in _system_folders():
        if all(os.path.isdir(os.path.join(folder, name)) for name in ("setuptools", "wheel")) \
                and folder not in sys.path:
            sys.path.append(folder)
            break


def _meta():
    from setuptools import build_meta

    return build_meta


def _requires():
    return [] if _have_tools() else list(_REQUIRES)


def get_requires_for_build_wheel(config_settings=None):
    return _requires()


def get_requires_for_build_sdist(config_settings=None):
    return _requires()


def get_requires_for_build_editable(config_settings=None):
    return _requires()


def prepare_metadata_for_build_wheel(metadata_directory, config_settings=None):
    return _meta().prepare_metadata_for_build_wheel(metadata_directory, config_settings)


def build_wheel(wheel_directory, config_settings=None, metadata_directory=None):
    return _meta().build_wheel(wheel_directory, config_settings, metadata_directory)


def build_sdist(sdist_directory, config_settings=None):
    return _meta().build_sdist(sdist_directory, config_settings)


def prepare_metadata_for_build_editable(metadata_directory, config_settings=None):
    return _meta().prepare_metadata_for_build_editable(metadata_directory, config_settings)


def build_editable(wheel_directory, config_settings=None, metadata_directory=None):
    return _meta().build_editable(wheel_directory, config_settings, metadata_directory)
