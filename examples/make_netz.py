#!/usr/bin/env python3
"""Writes examples/netz.dxf: a small drinking-water network as a DXF R2000 drawing.

Pipes are lightweight polylines on layer WASSER_LEITUNG carrying their material and nominal
width as extended data (application KOR_NETZ); hydrants and valves are block inserts with
attributes; labels are texts; house connections are dashed lines. The linetype table holds
several patterns, one of them with a "|" in its name as an external reference brings it.

Run it from anywhere: python3 examples/make_netz.py [OUTPUT]. The output is the same on every
run, so the file in the repository can be checked against it.
"""
import os
import sys


class Dxf:
    def __init__(self):
        self.tags = []
        self.next_handle = 0x30

    def handle(self):
        h = "%X" % self.next_handle
        self.next_handle += 1
        return h

    def add(self, code, value):
        if isinstance(value, float):
            text = repr(value)
            if "." not in text and "e" not in text:
                text += ".0"
        else:
            text = str(value)
        self.tags.append((code, text))

    def group(self, *pairs):
        for code, value in pairs:
            self.add(code, value)

    def text(self):
        lines = []
        for code, value in self.tags:
            lines.append("%3d" % code)
            lines.append(value)
        return "\r\n".join(lines) + "\r\n"


LTYPES = [
    # name, flags, description, pattern
    ("ByBlock", 0, "", []),
    ("ByLayer", 0, "", []),
    ("Continuous", 0, "Solid line", []),
    ("WASSERWERK|STRICHPUNKT", 48, "Strichpunkt (Bestand Wasserwerk) __ . __ .", [2.0, -0.5, 0.0, -0.5]),
    ("DASHED", 0, "Dashed __ __ __ __", [0.5, -0.25]),
    ("DASHDOT", 0, "Dash dot __ . __ . __", [0.5, -0.25, 0.0, -0.25]),
    ("HIDDEN", 0, "Hidden __ __ __", [0.25, -0.125]),
    ("BORDER", 0, "Border __ __ . __ __ .", [0.5, -0.25, 0.5, -0.25, 0.0, -0.25]),
]

LAYERS = [
    # name, flags, colour, linetype
    ("0", 0, 7, "Continuous"),
    ("WASSER_LEITUNG", 0, 5, "Continuous"),
    ("WASSER_HAUSANSCHLUSS", 0, 4, "DASHED"),
    ("WASSER_ARMATUR", 0, 1, "Continuous"),
    ("WASSER_TEXT", 0, 7, "Continuous"),
    ("WASSER_BESTAND_ALT", 0, 8, "HIDDEN"),
    ("WASSERWERK|BESTAND", 48, 3, "WASSERWERK|STRICHPUNKT"),
]

PIPES = [
    # points, material, nominal width
    ([(0.0, 0.0), (60.0, 0.0), (60.0, 40.0)], "PE", 110),
    ([(60.0, 0.0), (120.0, 0.0)], "GGG", 150),
    ([(60.0, 40.0), (60.0, 80.0), (110.0, 80.0)], "PE", 90),
    ([(0.0, 0.0), (0.0, -35.0)], "PVC", 100),
]

HYDRANTS = [((30.0, 0.0), "H-101", "Überflurhydrant"), ((120.0, 0.0), "H-102", "Unterflurhydrant"),
            ((60.0, 70.0), "H-103", "Überflurhydrant")]
# Valves: place, number, position, where their labels start (left of S-201, which stands close
# beside S-202, so that the labels do not overlap).
VALVES = [((58.0, 0.0), "S-201", "offen", -8.0), ((62.0, 0.0), "S-202", "offen", 2.0),
          ((60.0, 38.0), "S-203", "geschlossen", 2.0), ((0.0, -2.0), "S-204", "offen", 2.0)]


def table(d, name, records_flag_count, owner="0"):
    h = d.handle()
    d.group((0, "TABLE"), (2, name), (5, h), (330, owner), (100, "AcDbSymbolTable"), (70, records_flag_count))
    return h


def record_head(d, kind, owner, subclass):
    h = d.handle()
    d.group((0, kind), (5, h), (330, owner), (100, "AcDbSymbolTableRecord"), (100, subclass))
    return h


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)), "netz.dxf")
    d = Dxf()
    # Handles of what others point to, fixed first.
    h_block_records = d.handle()
    h_ms_record = d.handle()
    h_ps_record = d.handle()
    h_hydrant_record = d.handle()
    h_valve_record = d.handle()
    h_root = d.handle()
    h_groups = d.handle()

    d.group((0, "SECTION"), (2, "HEADER"))
    d.group((9, "$ACADVER"), (1, "AC1015"), (9, "$DWGCODEPAGE"), (3, "ANSI_1252"))
    d.group((9, "$INSBASE"), (10, 0.0), (20, 0.0), (30, 0.0))
    d.group((9, "$EXTMIN"), (10, -10.0), (20, -40.0), (30, 0.0))
    d.group((9, "$EXTMAX"), (10, 130.0), (20, 90.0), (30, 0.0))
    d.group((9, "$INSUNITS"), (70, 6), (9, "$LUNITS"), (70, 2), (9, "$LUPREC"), (70, 2))
    # Linetype patterns are drawn three times their size: dashed layers look dashed at this scale.
    d.group((9, "$LTSCALE"), (40, 3.0), (9, "$CELTSCALE"), (40, 1.0))
    seed_at = len(d.tags)
    d.group((9, "$HANDSEED"), (5, "0"))
    d.group((0, "ENDSEC"))
    d.group((0, "SECTION"), (2, "CLASSES"), (0, "ENDSEC"))

    d.group((0, "SECTION"), (2, "TABLES"))
    t = table(d, "VPORT", 1)
    record_head(d, "VPORT", t, "AcDbViewportTableRecord")
    d.group((2, "*Active"), (70, 0), (10, 0.0), (20, 0.0), (11, 1.0), (21, 1.0), (12, 60.0), (22, 25.0),
            (40, 140.0), (41, 1.6))
    d.group((0, "ENDTAB"))

    t = table(d, "LTYPE", len(LTYPES))
    for name, flags, desc, pattern in LTYPES:
        record_head(d, "LTYPE", t, "AcDbLinetypeTableRecord")
        d.group((2, name), (70, flags), (3, desc), (72, 65), (73, len(pattern)),
                (40, float(sum(abs(p) for p in pattern))))
        for p in pattern:
            d.group((49, float(p)), (74, 0))
    d.group((0, "ENDTAB"))

    t = table(d, "LAYER", len(LAYERS))
    for name, flags, colour, ltype in LAYERS:
        record_head(d, "LAYER", t, "AcDbLayerTableRecord")
        d.group((2, name), (70, flags), (62, colour), (6, ltype), (370, -3))
    d.group((0, "ENDTAB"))

    t = table(d, "STYLE", 1)
    record_head(d, "STYLE", t, "AcDbTextStyleTableRecord")
    d.group((2, "Standard"), (70, 0), (40, 0.0), (41, 1.0), (50, 0.0), (71, 0), (42, 2.5), (3, "txt"), (4, ""))
    d.group((0, "ENDTAB"))
    table(d, "VIEW", 0)
    d.group((0, "ENDTAB"))
    table(d, "UCS", 0)
    d.group((0, "ENDTAB"))
    t = table(d, "APPID", 2)
    for name in ("ACAD", "KOR_NETZ"):
        record_head(d, "APPID", t, "AcDbRegAppTableRecord")
        d.group((2, name), (70, 0))
    d.group((0, "ENDTAB"))
    t = table(d, "DIMSTYLE", 1)
    d.group((0, "DIMSTYLE"), (105, d.handle()), (330, t), (100, "AcDbSymbolTableRecord"),
            (100, "AcDbDimStyleTableRecord"), (2, "Standard"), (70, 0))
    d.group((0, "ENDTAB"))
    d.group((0, "TABLE"), (2, "BLOCK_RECORD"), (5, h_block_records), (330, "0"), (100, "AcDbSymbolTable"), (70, 4))
    for h, name in ((h_ms_record, "*Model_Space"), (h_ps_record, "*Paper_Space"), (h_hydrant_record, "HYDRANT"),
                    (h_valve_record, "SCHIEBER")):
        d.group((0, "BLOCK_RECORD"), (5, h), (330, h_block_records), (100, "AcDbSymbolTableRecord"),
                (100, "AcDbBlockTableRecord"), (2, name))
    d.group((0, "ENDTAB"))
    d.group((0, "ENDSEC"))

    def entity(kind, owner, layer, subclass, extra_common=()):
        d.group((0, kind), (5, d.handle()), (330, owner), (100, "AcDbEntity"), (8, layer))
        d.group(*extra_common)
        d.group((100, subclass))

    def attdef(owner, tag, prompt, default, x, y):
        entity("ATTDEF", owner, "WASSER_TEXT", "AcDbText")
        d.group((10, x), (20, y), (30, 0.0), (40, 1.5), (1, default), (100, "AcDbAttributeDefinition"), (3, prompt),
                (2, tag), (70, 0))

    d.group((0, "SECTION"), (2, "BLOCKS"))
    for record, name, space in ((h_ms_record, "*Model_Space", 0), (h_ps_record, "*Paper_Space", 1)):
        common = ((67, 1),) if space else ()
        entity("BLOCK", record, "0", "AcDbBlockBegin", common)
        d.group((2, name), (70, 0), (10, 0.0), (20, 0.0), (30, 0.0), (3, name), (1, ""))
        entity("ENDBLK", record, "0", "AcDbBlockEnd", common)
    # HYDRANT: a circle with a cross line, attributes number and kind.
    entity("BLOCK", h_hydrant_record, "0", "AcDbBlockBegin")
    d.group((2, "HYDRANT"), (70, 2), (10, 0.0), (20, 0.0), (30, 0.0), (3, "HYDRANT"), (1, ""))
    entity("CIRCLE", h_hydrant_record, "0", "AcDbCircle")
    d.group((10, 0.0), (20, 0.0), (30, 0.0), (40, 1.5))
    entity("LINE", h_hydrant_record, "0", "AcDbLine")
    d.group((10, -1.5), (20, 0.0), (30, 0.0), (11, 1.5), (21, 0.0), (31, 0.0))
    attdef(h_hydrant_record, "NR", "Hydrantennummer", "H-000", 2.0, 0.5)
    attdef(h_hydrant_record, "ART", "Hydrantenart", "Überflurhydrant", 2.0, -1.5)
    entity("ENDBLK", h_hydrant_record, "0", "AcDbBlockEnd")
    # SCHIEBER: two triangles tip to tip (a gate valve), attributes number and position.
    entity("BLOCK", h_valve_record, "0", "AcDbBlockBegin")
    d.group((2, "SCHIEBER"), (70, 2), (10, 0.0), (20, 0.0), (30, 0.0), (3, "SCHIEBER"), (1, ""))
    entity("LWPOLYLINE", h_valve_record, "0", "AcDbPolyline")
    d.group((90, 4), (70, 1), (43, 0.0), (10, -1.0), (20, 1.0), (10, 1.0), (20, -1.0), (10, 1.0), (20, 1.0),
            (10, -1.0), (20, -1.0))
    attdef(h_valve_record, "NR", "Schiebernummer", "S-000", 1.5, 1.0)
    attdef(h_valve_record, "STELLUNG", "Schieberstellung", "offen", 1.5, -2.0)
    entity("ENDBLK", h_valve_record, "0", "AcDbBlockEnd")
    d.group((0, "ENDSEC"))

    d.group((0, "SECTION"), (2, "ENTITIES"))
    ms = h_ms_record
    for points, material, width in PIPES:
        entity("LWPOLYLINE", ms, "WASSER_LEITUNG", "AcDbPolyline")
        d.group((90, len(points)), (70, 0), (43, 0.3))
        for x, y in points:
            d.group((10, x), (20, y))
        d.group((1001, "KOR_NETZ"), (1000, material), (1070, width), (1040, 10.0))

    def insert(block, layer, x, y, attributes, label_dx=2.0):
        entity("INSERT", ms, layer, "AcDbBlockReference")
        d.group((66, 1), (2, block), (10, x), (20, y), (30, 0.0))
        for i, (tag, value) in enumerate(attributes):
            entity("ATTRIB", ms, "WASSER_TEXT", "AcDbText")
            d.group((10, x + label_dx), (20, y + 0.5 - 2.0 * i), (30, 0.0), (40, 1.5), (1, value),
                    (100, "AcDbAttribute"), (2, tag), (70, 0))
        entity("SEQEND", ms, layer, "AcDbEntity")
        d.tags.pop()  # a SEQEND has no subclass of its own

    for (x, y), number, kind in HYDRANTS:
        insert("HYDRANT", "WASSER_ARMATUR", x, y, [("NR", number), ("ART", kind)])
    for (x, y), number, position, label_dx in VALVES:
        insert("SCHIEBER", "WASSER_ARMATUR", x, y, [("NR", number), ("STELLUNG", position)], label_dx)

    # House connections: dashed by their layer.
    for x in (20.0, 40.0, 90.0):
        entity("LINE", ms, "WASSER_HAUSANSCHLUSS", "AcDbLine")
        d.group((10, x), (20, 0.0), (30, 0.0), (11, x), (21, 12.0), (31, 0.0))
    # Labels.
    for x, y, label in ((10.0, 1.0, "PE 110"), (85.0, 1.0, "GGG 150"), (61.0, 60.0, "PE 90"),
                        (1.0, -20.0, "PVC 100")):
        entity("TEXT", ms, "WASSER_TEXT", "AcDbText")
        d.group((10, x), (20, y), (30, 0.0), (40, 1.8), (1, label), (100, "AcDbText"))
    entity("MTEXT", ms, "WASSER_TEXT", "AcDbMText")
    d.group((10, 70.0), (20, 30.0), (30, 0.0), (40, 2.0), (41, 40.0), (71, 1),
            (1, "Versorgungszone Nord\\PStraße: Hauptstraße"))
    # A manhole, a bend of an old main, a survey point.
    entity("CIRCLE", ms, "WASSER_ARMATUR", "AcDbCircle")
    d.group((10, 110.0), (20, 80.0), (30, 0.0), (40, 2.0))
    entity("ARC", ms, "WASSER_BESTAND_ALT", "AcDbCircle")
    d.group((10, 100.0), (20, 40.0), (30, 0.0), (40, 10.0), (100, "AcDbArc"), (50, 90.0), (51, 180.0))
    entity("POINT", ms, "0", "AcDbPoint")
    d.group((10, 125.0), (20, -5.0), (30, 0.0))
    # The old main as a 2D polyline of the older kind.
    entity("POLYLINE", ms, "WASSER_BESTAND_ALT", "AcDb2dPolyline")
    d.group((66, 1), (10, 0.0), (20, 0.0), (30, 0.0), (70, 0))
    for x, y in ((90.0, 40.0), (100.0, 50.0), (120.0, 50.0)):
        entity("VERTEX", ms, "WASSER_BESTAND_ALT", "AcDbVertex")
        d.group((100, "AcDb2dVertex"), (10, x), (20, y), (30, 0.0))
    entity("SEQEND", ms, "WASSER_BESTAND_ALT", "AcDbEntity")
    d.tags.pop()
    # A spline: korcad draws its curve.
    entity("SPLINE", ms, "WASSERWERK|BESTAND", "AcDbSpline")
    d.group((210, 0.0), (220, 0.0), (230, 1.0), (70, 8), (71, 3), (72, 8), (73, 4), (74, 0))
    for k in (0.0, 0.0, 0.0, 0.0, 1.0, 1.0, 1.0, 1.0):
        d.group((40, k))
    for x, y in ((-5.0, 60.0), (5.0, 75.0), (20.0, 55.0), (35.0, 70.0)):
        d.group((10, x), (20, y), (30, 0.0))
    d.group((0, "ENDSEC"))

    d.group((0, "SECTION"), (2, "OBJECTS"))
    d.group((0, "DICTIONARY"), (5, h_root), (330, "0"), (100, "AcDbDictionary"), (281, 1), (3, "ACAD_GROUP"),
            (350, h_groups))
    d.group((0, "DICTIONARY"), (5, h_groups), (330, h_root), (100, "AcDbDictionary"), (281, 1))
    d.group((0, "ENDSEC"))
    d.group((0, "EOF"))

    d.tags[seed_at + 1] = (5, "%X" % d.next_handle)
    with open(out, "wb") as f:
        f.write(d.text().encode("cp1252"))


if __name__ == "__main__":
    main()
