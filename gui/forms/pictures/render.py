# Renders the foundation pictures (the SVG drawings beside this script) to
# the PNG files that the program carries as resources: python3 render.py
import ctypes

rsvg = ctypes.CDLL("librsvg-2.so.2")
cairo = ctypes.CDLL("libcairo.so.2")
rsvg.rsvg_handle_new_from_file.restype = ctypes.c_void_p
rsvg.rsvg_handle_new_from_file.argtypes = [ctypes.c_char_p, ctypes.c_void_p]
rsvg.rsvg_handle_render_cairo.argtypes = [ctypes.c_void_p, ctypes.c_void_p]
cairo.cairo_image_surface_create.restype = ctypes.c_void_p
cairo.cairo_create.restype = ctypes.c_void_p
cairo.cairo_create.argtypes = [ctypes.c_void_p]
cairo.cairo_surface_write_to_png.argtypes = [ctypes.c_void_p, ctypes.c_char_p]
cairo.cairo_destroy.argtypes = [ctypes.c_void_p]
cairo.cairo_surface_destroy.argtypes = [ctypes.c_void_p]

for name in ["halfspace", "pile", "stratum", "multilayer"]:
    handle = rsvg.rsvg_handle_new_from_file(f"{name}.svg".encode(), None)
    assert handle, name
    surface = cairo.cairo_image_surface_create(0, 340, 210)  # ARGB32, the drawings' size
    context = cairo.cairo_create(surface)
    assert rsvg.rsvg_handle_render_cairo(handle, context), name
    cairo.cairo_surface_write_to_png(surface, f"{name}.png".encode())
    cairo.cairo_destroy(context)
    cairo.cairo_surface_destroy(surface)
