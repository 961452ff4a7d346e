// -- VestaWizard variation file
// -- Retrieval info: <instance entity-name="fifo" version="12.1" >
module fifo_a (input clock, input [7:0] data, input wrreq, input rdreq,
               output [7:0] q, output empty, output full);
endmodule
