"""Prints a DXF drawing as ezdxf reads it: its version, its unit ($INSUNITS), its layers, then its
entities one a line: LINE LAYER X1 Y1 X2 Y2  or  ARC LAYER CX CY R START END (angles in degrees).
Usage: dxf-entities.py FILE.dxf"""
import sys

import ezdxf

doc = ezdxf.readfile(sys.argv[1])
print("VERSION", doc.dxfversion)
print("UNITS", doc.header.get("$INSUNITS", 0))
print("LAYERS", " ".join(sorted(layer.dxf.name for layer in doc.layers)))
for e in doc.modelspace():
    if e.dxftype() == "LINE":
        s, t = e.dxf.start, e.dxf.end
        print("LINE", e.dxf.layer, repr(s.x), repr(s.y), repr(t.x), repr(t.y))
    elif e.dxftype() == "ARC":
        c = e.dxf.center
        print("ARC", e.dxf.layer, repr(c.x), repr(c.y), repr(e.dxf.radius), repr(e.dxf.start_angle),
              repr(e.dxf.end_angle))
    else:
        print("OTHER", e.dxftype(), e.dxf.layer)
