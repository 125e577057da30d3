"""terva.Input cases shared by the package's tests and the program's reader
test: one of each foundation, both unit systems, both loads, both pile heads.

    python3 input_cases.py FOLDER    writes NAME.tvd (the project layout, by
                                     save()) for each case into FOLDER
"""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "python"))
import terva  # noqa: E402


def cases():
    return {
        "disc": terva.Input("DISC ON A HALF-SPACE").circle(2.0).mass(100, 80, 80, 120)
        .half_space(250.0, 19.0, 0.33, 0.05, cg_height=1.0).harmonic(200, 5, 5, force=(0, 0, 10, 0, 0, 0)),
        "embedded": terva.Input("EMBEDDED BLOCK", units="English").rectangle(20, 10)
        .mass(400, 15000, 20000, 30000, 12.5)
        .half_space(800, 120, 0.33, 0.05, cg_height=3.0,
                    side_layers=[(2.0, 600, 110, 0.35, 0.05), (1.25, 650, 112, 0.35, 0.04)])
        .harmonic(300, 10, 10, force=(1000, 0, 1000, 0, 0, 0)),
        "stratum": terva.Input("FAN ON A STRATUM", matrix=False).rectangle(4, 3).mass(150, 400, 420, 600)
        .stratum(200.0, 18.5, 0.4, 0.05, depth=12.0, embedment=1.0, cg_height=1.2)
        .harmonic(200, 5, 5, force=(0, 0.02, 0, 0, 0, 0), quadratic=True),
        "pile-group": terva.Input("PILE GROUP").rectangle(5, 5).mass(300, 900, 900, 1400)
        .pile_group([(-1.25, -1.25), (1.25, -1.25), (-1.25, 1.25), (1.25, 1.25)], length=12.0,
                    soil=(150.0, 18.0, 0.4, 0.05), below=(250.0, 19.0, 0.35, 0.05), radius=0.25,
                    area=0.196, inertia=0.00307, torsion=0.00614, young=3.0e7, unit_weight=24.0,
                    elements=6, cg_height=1.0, static_load=600.0).harmonic(300, 10, 10, force=(10, 0, 10, 0, 0, 0)),
        "pinned-pile": terva.Input("PINNED PILE").circle(0.5).mass(10, 1, 1, 1)
        .pile_group([(0, 0)], length=10.0, soil=[(100.0, 18.0, 0.4, 0.05), (150.0, 18.5, 0.4, 0.05)],
                    below=(200.0, 19.0, 0.4, 0.05), radius=0.3, area=0.283, inertia=0.00636,
                    torsion=0.0127, young=3.0e7, unit_weight=24.0, elements=2, fixed=False, end_bearing=True)
        .harmonic(100, 10, 10, force=(1, 0, 1, 0, 0, 0)),
    }


if __name__ == "__main__":
    folder = sys.argv[1]
    for name, inp in cases().items():
        inp.save(os.path.join(folder, name + ".tvd"))
