// -- VestaWizard variation file
// -- Retrieval info: <instance entity-name="fir" version="13.0" >
module fir_c (input logic clk, input logic [15:0] x, output logic [31:0] y);
endmodule
